#pragma once
// The QApplication every widget test runs in (offscreen), set up as the
// program sets up its own.
#include <QApplication>

namespace sk::test {

// Creates the application once; call from each test's SetUp or first use.
QApplication& uiApp();

}  // namespace sk::test
