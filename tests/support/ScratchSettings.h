#pragma once

#include <QString>

// Points the application's settings (user and system scope) into directory, so that a
// test neither reads nor writes the real ones.
void useScratchSettings(const QString &directory);
