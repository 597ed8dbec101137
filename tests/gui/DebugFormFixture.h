#pragma once
// The debugger window's test fixtures: a main window to open it beside, the field helpers, and
// a running CPU thread whose animate refresh reaches the window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "debugger/DebugForm.h"
#include "host/Panel.h"
#include "support/MachineFixture.h"

inline constexpr uint16_t kNop = 0x000, kLoopToPrevious = 0x3FB;  // GONC -1

inline QString Hex4(uint16_t v) {
  return QString("%1").arg(v, 4, 16, QChar('0')).toUpper();
}

class DebugFormTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    Cpu.Running = 1;
    main = std::make_unique<QWidget>();
    main->setGeometry(20, 30, 307, 578);
    main->show();
  }
  void TearDown() override {
    main.reset();  // the debugger window goes with its main window
    MachineTest::TearDown();
  }
  void Open() {
    OpenDebuggerWindow(main.get());
    form = DebuggerWindow();
    ASSERT_NE(form, nullptr);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
  }
  QLineEdit* Field(const char* name) { return form->Edit(name); }
  // Sends a key to the control that has the focus, as the keyboard would.
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form;
    QTest::keyClick(target, key, mods);
  }
  // Clicks into a field, replaces its text by typing, and leaves it with Tab.
  void Type(const char* name, const QString& text) {
    QLineEdit* edit = Field(name);
    QTest::mouseClick(edit, Qt::LeftButton);
    ASSERT_TRUE(edit->hasFocus());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    Key(Qt::Key_Tab);
  }
  // Every field's text as it would be shown now.
  static std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (const DebugField& f : DebugFields) texts.push_back(f.show());
    return texts;
  }

  std::unique_ptr<QWidget> main;
  TDebugForm* form = nullptr;
};

// ----- With a running CPU thread -----

// Forwards the animate refresh to the window, as the main window does.
class ForwardingPanel : public HeadlessPanel {
 public:
  void RefreshDebugger() override {
    HeadlessPanel::RefreshDebugger();
    RefreshDebuggerWindow();
  }
};

class DebugFormThreadTest : public DebugFormTest {
 protected:
  void SetUp() override {
    DebugFormTest::SetUp();
    host.SetFakeTicks(std::nullopt);
    host.BecomeGuiThread();
    SetPanel(&forwarding);
  }
  void TearDown() override {
    TNutCPU::Stop();
    SetPanel(&panel);
    DebugFormTest::TearDown();
  }
  bool PumpUntil(const std::function<bool()>& pred) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!pred()) {
      if (std::chrono::steady_clock::now() > end) return false;
      host.ProcessMessages();
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  void Pump(std::chrono::milliseconds d) {
    const auto end = std::chrono::steady_clock::now() + d;
    PumpUntil([&] { return std::chrono::steady_clock::now() >= end; });
  }
  uint32_t Cycles() {
    uint32_t c = 0;
    TNutCPU::RunHalted([&] { c = Cpu.CycleCount; });
    return c;
  }
  ForwardingPanel forwarding;
};
