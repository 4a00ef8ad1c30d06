#include "core/TimeField.h"

#include "scheduler/TimeText.h"

#include <QFontMetrics>
#include <QLineEdit>

QLineEdit* NewTimeField(QWidget* parent, const QString& name, const QString& toolTip)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // Qt's mask letters are the other way round from the form's "!90:00:00": here 0 is
    // an optional digit and 9 a required one.
    edit->setInputMask(QStringLiteral("09:99:99;_"));
    edit->setText(QStringLiteral("00:00:00"));
    edit->setToolTip(toolTip);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 24);
    return edit;
}

void SetTimeFieldText(QLineEdit* edit, const QTime& time)
{
    edit->setText(time.toString(QStringLiteral("hh:mm:ss")));
}

void SetTimeFieldText(QLineEdit* edit, const QString& stored)
{
    if (const std::optional<QTime> t = ParseTime(stored))
        SetTimeFieldText(edit, *t);
    else
        edit->setText(stored);
}

QString TimeFieldText(const QLineEdit* edit)
{
    QString text = edit->text();
    return text.remove(u'_').remove(u' ');
}
