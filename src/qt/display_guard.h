#pragma once
// Qt ends a program whose display cannot be opened with an abort and advice to reinstall it. While a
// DisplayGuard lives (around the making of the application object), that ending says in one line
// which display was tried and exits with status 1 instead. Qt's other messages of that time are held
// back and passed on when the guard ends.

namespace kestrum::qt {

class DisplayGuard {
  public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;
};

} // namespace kestrum::qt
