#include "XdgShell.h"

#include <QProcess>
#include <QString>

namespace platform {

void XdgShell::open(const std::u16string& target)
{
    // "--" is not understood by xdg-open; a target starting with "-" is made a path instead.
    QString arg = QString::fromUtf16(target.data(), qsizetype(target.size()));
    if (arg.startsWith('-'))
        arg.prepend("./");
    QProcess::startDetached("xdg-open", {arg});
}

} // namespace platform
