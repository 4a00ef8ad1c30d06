#include "power/NetStateShutdown.h"

#include "core/FeatureContext.h"
#include "core/Schedule.h"
#include "power/AmountInput.h"
#include "power/Netstatethread.h"
#include "power/PowerRuleInputs.h"
#include "power/ShutDownComputer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QHostInfo>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("NetStates");
const QString kNetStateTime = QStringLiteral("NetStateTime");
const QString kNetStateTimeSelect = QStringLiteral("NetStateTimeSelect");
const QString kNetStateShutDown = QStringLiteral("NetStateShutDown");
const QString kNetState = QStringLiteral("NetState");

// AliDNS: anycast, answers echo requests, reachable wherever our users are. An address
// rather than a name, so that a probe never waits on a name lookup.
const QString kProbeHost = QStringLiteral("223.5.5.5");

} // namespace

NetStateShutdown::NetStateShutdown(FeatureContext& ctx)
    : QObject(),
      Rule(ctx, {kSection, kNetStateTime, kNetStateTimeSelect, kNetStateShutDown, kNetState}),
      ctx_(ctx)
{
    using namespace PowerRuleInputs;
    NetStateGroupBox = new QGroupBox(ctx.Page(PageId::RegularShutDown));
    NetStateGroupBox->setObjectName(QStringLiteral("NetStateGroupBox"));
    auto* row = new QHBoxLayout(NetStateGroupBox);

    NetStateCheckBox = new QCheckBox(QStringLiteral("智能网络模式"), NetStateGroupBox);
    NetStateCheckBox->setObjectName(QStringLiteral("NetStateCheckBox"));
    NetStateCheckBox->setToolTip(QStringLiteral("在规定时间内无法连接网络,将启用此模式"));
    NetStateMaskEdit =
        AmountInput::NewAmountEdit(NetStateGroupBox, QStringLiteral("NetStateMaskEdit"),
                                   QStringLiteral("请输入一个两位数,如01或30"));
    NetStateComboBox =
        NewComboBox(NetStateGroupBox, QStringLiteral("NetStateComboBox"),
                    {QStringLiteral("分钟"), QStringLiteral("小时"), QStringLiteral("天")},
                    QStringLiteral("可以选择不同的计时模式"));
    NetStateShutDownComboBox =
        NewModeComboBox(NetStateGroupBox, QStringLiteral("NetStateShutDownComboBox"),
                        QStringLiteral("设置关机的模式"));

    Rule.Box = NetStateCheckBox;
    Rule.AmountEdit = NetStateMaskEdit;
    Rule.UnitList = NetStateComboBox;
    Rule.ModeList = NetStateShutDownComboBox;
    AmountInput::AlignCaption(NetStateCheckBox);
    row->addWidget(NetStateCheckBox);
    row->addWidget(NetStateMaskEdit);
    row->addWidget(NetStateComboBox);
    row->addWidget(NetStateShutDownComboBox);
    row->addStretch();
    ctx.AddToPage(PageId::RegularShutDown, NetStateGroupBox);

    connect(NetStateCheckBox, &QCheckBox::toggled, this, [this] { NetStateCheckBoxClick(); });
    ctx.OnPowerRule(PowerRule::NetState, [this] { return CheckNetState(); });
    ctx.OnLoad(LoadStep::NetStates, [this] { LoadNetStates(); });
    // It compares the worker's count every second while armed.
    ctx.OnWatch([this] { return NetStateCheckBox->isChecked(); });
    ctx.OnWaiting([this](std::vector<Waiting>& out) {
        if (NetStateCheckBox->isChecked())
            out.push_back(Rule.Condition(QStringLiteral("网络不通"),
                                         NetStateFailures.load(std::memory_order_relaxed)));
    });
    ctx.OnClose([this] { StopWorker(); });
}

NetStateShutdown::~NetStateShutdown()
{
    StopWorker();
}

QString NetStateShutdown::ProbeHost() const
{
    const QString& host = ctx_.Servers().probeHost;
    return host.isEmpty() ? kProbeHost : host;
}

std::optional<std::uint32_t> NetStateShutdown::ResolveIpv4(const QString& host)
{
    QHostAddress address;
    if (address.setAddress(host))
        return address.protocol() == QAbstractSocket::IPv4Protocol
                   ? std::optional<std::uint32_t>(address.toIPv4Address())
                   : std::nullopt;
    for (const QHostAddress& found : QHostInfo::fromName(host).addresses())
        if (found.protocol() == QAbstractSocket::IPv4Protocol)
            return found.toIPv4Address();
    return std::nullopt;
}

void NetStateShutdown::LoadNetStates()
{
    Rule.Load(QStringLiteral("05"), 0);
}

void NetStateShutdown::SaveNetStates()
{
    Rule.Save();
}

void NetStateShutdown::NetStateCheckBoxClick()
{
    ctx_.Guard([this] {
        if (NetStateCheckBox->isChecked()) {
            if (!Rule.Take(QStringLiteral("请输入有效的两位整数,而不是０"), QStringLiteral("20")))
                return;
            platform::IcmpEcho* icmp = ctx_.Os().icmp.get();
            if (!icmp) {
                NetStateCheckBox->setChecked(false);
                ctx_.Ui().ShowMessage(QStringLiteral("本系统无法探测网络,不能启用智能网络模式"));
                return;
            }
            // Probes that never leave would count as an outage that is not there.
            if (!icmp->canSend()) {
                NetStateCheckBox->setChecked(false);
                ctx_.Ui().ShowMessage(
                    QStringLiteral("本程序没有发送网络探测的权限,不能启用智能网络模式"));
                return;
            }
            if (!Worker) {
                Worker = std::make_unique<NetState>(
                    *icmp, NetStateFailures, [host = ProbeHost()] { return ResolveIpv4(host); },
                    ProbeInterval);
                Worker->Start();
            }
        } else {
            StopWorker();
            ctx_.Power().DropDisarmed(PowerRule::NetState);
        }
        Rule.Commit();
    });
}

void NetStateShutdown::StopWorker()
{
    if (Worker) {
        Worker->Stop();
        Worker.reset();
    }
}

bool NetStateShutdown::CheckNetState()
{
    if (!NetStateCheckBox->isChecked())
        return true;
    // The worker counts nothing while it may not send; say so once each time it starts.
    if (Worker && Worker->CannotSend() != pausedShown_) {
        pausedShown_ = !pausedShown_;
        if (pausedShown_)
            ctx_.ShowTrayBalloon(QStringLiteral("无法发送网络探测,智能网络模式暂停计数"));
    }
    const int unit = AmountRule::SecondsPerUnit(Rule.Unit);
    if (unit == 0)
        return false;
    // While the request is held the outage goes on counting from the request.
    PowerRequests& power = ctx_.Power();
    if (power.Holding(PowerRule::NetState) ||
        NetStateFailures.load(std::memory_order_relaxed) < Rule.Amount * unit)
        return true;
    NetStateFailures.store(0, std::memory_order_relaxed);
    // A warning let go counts the outage again from that moment.
    return power.Ask(PowerRule::NetState, PowerModeAt(Rule.Mode), [this] {
        NetStateFailures.store(0, std::memory_order_relaxed);
    }) != PowerAnswer::Failed;
}
