#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QLineEdit;
class FeatureContext;
struct Waiting;

//! What the duration rules (run time, idle, network state) share: a box, a two-digit
//! amount, a unit list and a mode list, stored under four keys of one section, and the
//! values taken from them when the rule is armed.
class AmountRule {
public:
    //! The section and the keys, in the order a save writes them.
    struct Keys {
        QString section;
        QString amount;
        QString unit;
        QString mode;
        QString state;
    };

    AmountRule(FeatureContext& ctx, Keys keys) : ctx_(ctx), keys_(std::move(keys)) {}

    //! The rule's controls, set when the rule builds its group.
    QCheckBox* Box = nullptr;
    QLineEdit* AmountEdit = nullptr;
    QComboBox* UnitList = nullptr;
    QComboBox* ModeList = nullptr;

    // In effect while armed, taken from the inputs at arming.
    QString AmountText;
    int Amount = 0;
    int Unit = 0;
    int Mode = 0;

    //! Seconds in one unit of the lists 分钟, 小时, 天; 0 for any other entry.
    static int SecondsPerUnit(int unit);

    //! Fills the inputs from the settings, then sets the box (which may arm the rule).
    void Load(const QString& defaultAmount, int defaultMode);
    //! Writes the in-effect values and the box's state.
    void Save();
    //! Takes the inputs into the in-effect values. With no whole two-digit amount the
    //! arming is taken back instead: the box is cleared (running its disarming branch),
    //! `refusal` is shown, `resetText` goes into the field, and the result is false.
    bool Take(const QString& refusal, const QString& resetText);
    //! The armed rule as the view of what comes next shows it: `event` with the amount and
    //! the action ("无人使用 20 分钟后关机"), then how far it has counted.
    Waiting Condition(const QString& event, qint64 countedSeconds) const;
    //! Re-plans the tick, locks the inputs while armed and frees them otherwise, then saves
    //! the section when armed or writes only the state key when not.
    void Commit();

private:
    FeatureContext& ctx_;
    Keys keys_;
};
