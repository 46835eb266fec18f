#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

// What Tessera remembers between runs, under its own settings name (never the game's):
// the last data directory, the directories opened recently, the last output directory,
// the window's geometry, the palettes' zoom and the compare pane's zoom. A disabled
// instance remembers nothing and reads nothing.
class AppSettings
{
public:
    static constexpr int MaxRecent = 8;
    static QString organization() { return QStringLiteral("Tessera"); }
    static QString application() { return QStringLiteral("Tessera"); }

    explicit AppSettings(bool enabled = true);

    bool isEnabled() const { return enabled; }

    QString lastDataDirectory() const;
    // Most recent first, each directory once.
    QStringList recentDirectories() const;
    // Makes directory the last data directory and the first of the recent ones.
    void rememberDataDirectory(const QString &directory);

    QString lastOutputDirectory() const;
    void setLastOutputDirectory(const QString &directory);

    QByteArray windowGeometry() const;
    void setWindowGeometry(const QByteArray &geometry);

    // The factor the compare pane enlarges images by; fallback when none is remembered.
    int compareZoom(int fallback) const;
    void setCompareZoom(int factor);

    // How many times their actual size the palettes show the tiles; 0 when none is remembered.
    int zoom() const;
    void setZoom(int zoom);

private:
    QString text(const char *key) const;
    void setValue(const char *key, const QVariant &value);

    bool enabled;
};
