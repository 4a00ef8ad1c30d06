#pragma once

#include "platform/Profile.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

#include <stdexcept>

//! The one INI settings file, read at start-up and written key by key as settings change.
//! Values that do not parse as their kind read as the caller's default; a write the
//! system refuses throws SettingsWriteError ("Unable to write to <path>").
class SettingsFile {
public:
    SettingsFile(platform::Profile& profile, QString path);

    //! QUORLIN_SETTINGS when set; otherwise C:\WINDOWS\Quorlin on Windows and
    //! $XDG_CONFIG_HOME/Quorlin (default ~/.config/Quorlin) elsewhere.
    static QString DefaultPath();

    const QString& Path() const { return path_; }

    QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
    int ReadInteger(const QString& section, const QString& key, int fallback) const;
    bool ReadBool(const QString& section, const QString& key, bool fallback) const;
    QDate ReadDate(const QString& section, const QString& key, const QDate& fallback) const;
    QTime ReadTime(const QString& section, const QString& key, const QTime& fallback) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);
    void WriteDate(const QString& section, const QString& key, const QDate& value);

    //! Integer text as the file holds it: decimal with an optional sign, or 0x/0X hex.
    static std::optional<int> ParseInteger(const QString& text);

private:
    std::optional<QString> Raw(const QString& section, const QString& key) const;

    platform::Profile& profile_;
    QString path_;
};

class SettingsWriteError : public std::runtime_error {
public:
    explicit SettingsWriteError(const QString& path);
};
