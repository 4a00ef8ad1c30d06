#include "programs/AutoRunPrograms.h"

#include "core/FeatureContext.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <cerrno>

namespace {

constexpr int kReapMs = 5000;

QByteArray Encode(platform::AnsiCodePage& ansi, const QString& text)
{
    const std::string bytes = ansi.fromUtf16(text.toStdU16String());
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

AutoRunPrograms::AutoRunPrograms(FeatureContext& ctx)
    : ctx_(ctx),
      list_(*ctx.Os().ansi, ctx.Ui(), ctx.DataDir() + QStringLiteral("AutoRunApplication"),
            QStringLiteral("开机启动程序列表"), {1, ListFile::Rest::IntoLast, "\r\n"})
{
    BuildGroup();
    ctx_.OnLoad(LoadStep::AutoRunList, [this] { LoadAutoRunList(); });
    ctx_.OnLoad(LoadStep::RunAutoRunList, [this] { RunAutoRunList(); });
}

AutoRunPrograms::~AutoRunPrograms() = default;

void AutoRunPrograms::BuildGroup()
{
    QWidget* page = ctx_.Page(PageId::GradeFunction);
    auto* group = new QGroupBox(QStringLiteral("开机启动的程序"), page);
    group->setObjectName(QStringLiteral("AutoRunGroupBox"));
    auto* layout = new QVBoxLayout(group);

    // The log view lies over the grid in the same place, so one of the two shows.
    auto* stack = new QGridLayout;
    AutoRunStringGrid = new QTableWidget(1, 1, group);
    AutoRunStringGrid->setObjectName(QStringLiteral("AutoRunStringGrid"));
    AutoRunStringGrid->horizontalHeader()->hide();
    AutoRunStringGrid->verticalHeader()->hide();
    AutoRunStringGrid->verticalHeader()->setDefaultSectionSize(
        std::max(18, AutoRunStringGrid->fontMetrics().height() + 4));
    AutoRunStringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    AutoRunStringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    AutoRunStringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    AutoRunStringGrid->setWordWrap(false);
    AutoRunStringGrid->setColumnWidth(0, 300);
    AutoRunStringGrid->horizontalHeader()->setStretchLastSection(true);
    AutoRunStringGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    stack->addWidget(AutoRunStringGrid, 0, 0);

    AutoRunErrorMemo = new QPlainTextEdit(group);
    AutoRunErrorMemo->setObjectName(QStringLiteral("AutoRunErrorMemo"));
    AutoRunErrorMemo->setReadOnly(true);
    AutoRunErrorMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    AutoRunErrorMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    AutoRunErrorMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    AutoRunErrorMemo->hide();
    stack->addWidget(AutoRunErrorMemo, 0, 0);
    layout->addLayout(stack, 1);

    AutoRunPopupMenu = new QMenu(AutoRunStringGrid);
    AutoRunPopupMenu->setObjectName(QStringLiteral("AutoRunPopupMenu"));
    DeleteAutoRun = AutoRunPopupMenu->addAction(QStringLiteral("删除"));
    DeleteAutoRun->setObjectName(QStringLiteral("DeleteAutoRun"));

    auto* buttons = new QHBoxLayout;
    AddAutoRunButton = new QPushButton(QStringLiteral("添加开机要启动的程序"), group);
    AddAutoRunButton->setObjectName(QStringLiteral("AddAutoRunButton"));
#ifdef Q_OS_WIN
    AddAutoRunButton->setToolTip(QStringLiteral("开机启动为最小化方式运行"));
#else
    // Here a program opens its windows as it chooses; nothing can ask it to start minimised.
    AddAutoRunButton->setToolTip(QStringLiteral("本程序每次启动时，依次启动列表中的程序"));
#endif
    LookAutoRunErrorButton = new QPushButton(QStringLiteral("查看启动失败日志"), group);
    LookAutoRunErrorButton->setObjectName(QStringLiteral("LookAutoRunErrorButton"));
    buttons->addWidget(AddAutoRunButton);
    buttons->addWidget(LookAutoRunErrorButton);
    buttons->addStretch();
    layout->addLayout(buttons);
    ctx_.AddToPage(PageId::GradeFunction, group, 1);

    reaper_ = new QTimer(group);
    reaper_->setInterval(kReapMs);
    QObject::connect(reaper_, &QTimer::timeout, group, [this] { ReapExited(); });

    QObject::connect(AutoRunStringGrid, &QTableWidget::customContextMenuRequested, group,
                     [this](const QPoint& at) {
                         AutoRunPopupMenu->popup(AutoRunStringGrid->viewport()->mapToGlobal(at));
                     });
    QObject::connect(DeleteAutoRun, &QAction::triggered, group,
                     [this] { ctx_.Guard([this] { DeleteAutoRunClick(); }); });
    QObject::connect(AutoRunStringGrid, &QTableWidget::cellPressed, group,
                     [this] { AutoRunStringGridMouseDown(); });
    QObject::connect(AddAutoRunButton, &QPushButton::clicked, group,
                     [this] { ctx_.Guard([this] { AddAutoRunButtonClick(); }); });
    QObject::connect(LookAutoRunErrorButton, &QPushButton::clicked, group,
                     [this] { ctx_.Guard([this] { LookAutoRunErrorButtonClick(); }); });
}

QString AutoRunPrograms::DialogFilter()
{
#ifdef Q_OS_WIN
    return QStringLiteral("*.exe (*.exe);;*.bat (*.bat)");
#else
    return QStringLiteral("程序和脚本 (*);;*.sh (*.sh);;所有文件 (*)");
#endif
}

namespace {

QString ReasonOfError(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("指定的文件不存在");
    case ENOTDIR:
        return QStringLiteral("指定的路径不存在（路径中有一段不是文件夹）");
    case ENAMETOOLONG:
        return QStringLiteral("路径太长");
    case ELOOP:
        return QStringLiteral("符号链接太多或互相指向");
    case ENOEXEC:
        return QStringLiteral("执行格式无效（不是程序，脚本也没有以 #! 开头的解释器行）");
    case EACCES:
        return QStringLiteral("没有权限访问或运行该文件");
    case EPERM:
        return QStringLiteral("系统不允许运行该文件");
    case ENOMEM:
    case EAGAIN:
    case EMFILE:
    case ENFILE:
        return QStringLiteral("内存或者资源不足");
    case E2BIG:
        return QStringLiteral("参数或环境变量太长");
    case ETXTBSY:
        return QStringLiteral("文件正被写入，暂时不能运行");
    case EIO:
        return QStringLiteral("读取文件时发生输入输出错误");
    case EISDIR:
        return QStringLiteral("这是一个文件夹，不是程序");
    case ELIBBAD:
    case EINVAL:
        return QStringLiteral("程序格式不受支持或已损坏");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("文件所在的设备不可用");
    default:
        return QStringLiteral("系统错误（错误号 %1）").arg(error);
    }
}

// The launch codes of WinExec and ShellExecute, for a failure that brings no error number.
QString ReasonOfCode(unsigned code)
{
    switch (code) {
    case 0:
        return QStringLiteral("内存或者资源不足");
    case 2:
        return QStringLiteral("指定的文件不存在");
    case 3:
        return QStringLiteral("指定的路径不存在");
    case 5:
        return QStringLiteral("拒绝访问");
    case 8:
        return QStringLiteral("内存不足");
    case 11:
        return QStringLiteral("执行格式无效");
    case 26:
        return QStringLiteral("文件正被其他程序使用");
    case 27:
    case 31:
        return QStringLiteral("没有与此类文件关联的程序");
    case 28:
    case 29:
    case 30:
        return QStringLiteral("关联的程序没有响应");
    default:
        return QStringLiteral("未知错误代码：%1").arg(code);
    }
}

} // namespace

QString AutoRunPrograms::FailureReason(const platform::CommandLauncher::Result& result)
{
    using Cause = platform::CommandLauncher::Cause;
    QString reason;
    switch (result.cause) {
    case Cause::NotExecutable:
        reason = QStringLiteral("文件没有可执行权限（可在文件属性中允许作为程序运行）");
        break;
    case Cause::NoExecMount:
        reason = QStringLiteral("文件所在的分区不允许运行程序（以 noexec 方式挂载）");
        break;
    case Cause::Folder:
        reason = QStringLiteral("这是一个文件夹，不是程序");
        break;
    case Cause::DesktopFile:
        reason = QStringLiteral("这是桌面启动器（.desktop）文件，请添加其中 Exec= 一行所写的程序");
        break;
    case Cause::Unknown:
        reason = result.error != 0 ? ReasonOfError(result.error) : ReasonOfCode(result.code);
        break;
    }
    return QStringLiteral("原因:") + reason;
}

QString AutoRunPrograms::FailureText(const QString& path,
                                     const platform::CommandLauncher::Result& result)
{
    // A line of a damaged list may be a megabyte long: no box or log line shows all of it.
    constexpr qsizetype kLongestPath = 260;
    QString shown =
        path.size() > kLongestPath ? path.left(kLongestPath) + QStringLiteral("…") : path;
    // Control characters (a NUL, a stray CR) would cut the box's text and break the log's lines.
    for (QChar& c : shown) {
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    }
    return shown + QStringLiteral("运行失败:") + FailureReason(result);
}

QString AutoRunPrograms::LogPath() const
{
    return ctx_.DataDir() + QStringLiteral("AutoRunErrorLog.txt");
}

void AutoRunPrograms::LoadAutoRunList()
{
    const std::optional<ListFile::Records> records =
        list_.Read(QStringLiteral("开机启动列表未能载入"));
    if (records && !records->empty())
        ShowRecords(AutoRunStringGrid, *records);
}

void AutoRunPrograms::RunAutoRunList()
{
    platform::CommandLauncher* launcher = ctx_.Os().launcher.get();
    if (!launcher)
        return;
    // A failure's box keeps ticks coming and the user may delete rows meanwhile: the row
    // count and the cell are read afresh at every step.
    bool shownFailure = false;
    for (int r = 0; r < AutoRunStringGrid->rowCount(); ++r) {
        const QString path = GridRow(AutoRunStringGrid, r).value(0).trimmed();
        if (path.isEmpty())
            continue;
        const auto result =
            launcher->launch(path.toStdU16String(), platform::CommandLauncher::MinNoActive);
        ctx_.Log(QStringLiteral("开机启动"), QStringLiteral("启动 ") + path,
                 result.started() ? QStringLiteral("已启动")
                                  : QStringLiteral("失败 (错误代码 %1)").arg(result.code));
        if (result.started()) {
            if (result.process != 0 && !launcher->hasExited(result.process))
                running_.push_back(result.process);
            continue;
        }
        LastFailure = FailureText(path, result);
        const QString message = LastFailure;
        // One box a start: a list of many entries that are gone, or a damaged list, would
        // otherwise hold the user at a box per line. The later failures go to the log.
        if (!shownFailure) {
            shownFailure = true;
            ctx_.Ui().ShowMessage(message);
        }
        AppendToLog(message);
    }
    if (!running_.empty())
        reaper_->start();
}

void AutoRunPrograms::ReapExited()
{
    platform::CommandLauncher* launcher = ctx_.Os().launcher.get();
    std::erase_if(running_, [&](std::int64_t p) { return launcher->hasExited(p); });
    if (running_.empty())
        reaper_->stop();
}

void AutoRunPrograms::AppendToLog(const QString& message)
{
    const LocalMoment now = ctx_.Now();
    const QString line = DateText(now.date) + QStringLiteral("  ") + TimeText(now.time) +
                         QStringLiteral("  ") + message + QStringLiteral("\r\n");
    // Append-only: the log is never rewritten, so a crash costs at most the last line.
    QFile log(LogPath());
    if (log.open(QIODevice::WriteOnly | QIODevice::Append))
        log.write(Encode(*ctx_.Os().ansi, line));
}

void AutoRunPrograms::DeleteAutoRunRow(int row)
{
    const int rows = AutoRunStringGrid->rowCount();
    if (row < 0 || row >= rows)
        return;
    ListFile::Records records = GridRecords(AutoRunStringGrid);
    records.erase(records.begin() + row);
    if (!list_.Rewrite(records, QStringLiteral("程序没有删除")))
        return;
    if (rows > 1)
        AutoRunStringGrid->removeRow(row);
    else
        SetGridRow(AutoRunStringGrid, 0, {});
}

void AutoRunPrograms::AddAutoRunButtonClick()
{
    AutoRunErrorMemo->hide();
    AutoRunStringGrid->show();
    const std::optional<QString> file =
        ctx_.Ui().OpenFile(QStringLiteral("请选择要开机启动的程序"), DialogFilter());
    if (file && !file->isEmpty())
        list_.Append({QDir::toNativeSeparators(*file)}, QStringLiteral("程序没有添加"));
    LoadAutoRunList();
}

void AutoRunPrograms::DeleteAutoRunClick()
{
    DeleteAutoRunRow(AutoRunStringGrid->currentRow());
}

void AutoRunPrograms::AutoRunStringGridMouseDown()
{
    AutoRunStringGrid->setToolTip(
        GridRow(AutoRunStringGrid, AutoRunStringGrid->currentRow()).value(0));
}

void AutoRunPrograms::LookAutoRunErrorButtonClick()
{
    QFile log(LogPath());
    if (!log.open(QIODevice::ReadOnly)) {
        ctx_.Ui().ShowMessage(QStringLiteral("目前没有启动失败的程序"));
        AutoRunErrorMemo->hide();
        AutoRunStringGrid->show();
        return;
    }
    const QByteArray bytes = log.readAll();
    const QString text = QString::fromStdU16String(
        ctx_.Os().ansi->toUtf16(std::string(bytes.constData(), size_t(bytes.size()))));
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    AutoRunErrorMemo->clear();
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        AutoRunErrorMemo->appendPlainText(line);
    }
    AutoRunStringGrid->hide();
    AutoRunErrorMemo->show();
}
