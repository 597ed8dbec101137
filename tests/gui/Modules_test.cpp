// Modules and memory without leaving the program: an image dropped on the faceplate, applied
// from the Modules window and run; the memory saved to a file and loaded from one; and the
// restart these use, which keeps the memory whatever happens meanwhile.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <fstream>

#include "app/Restart.h"
#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "frontpanel/CalcForm.h"
#include "frontpanel/ModulesForm.h"
#include "frontpanel/QtCalcMenu.h"
#include "memory/Ram.h"
#include "memory/Rom.h"
#include "support/MachineFixture.h"

namespace {

// Waiting for the CPU thread also runs the window system's events, as the desktop's host does.
class PumpingHost : public HeadlessHost {
 public:
  void ProcessMessages() override {
    HeadlessHost::ProcessMessages();
    QCoreApplication::processEvents();
  }
};

constexpr const char* kIni =
    "; my calculator\n[Calc]\nContrast=9\n[ROM]\n; none yet\nModules=0\n[CPU]\nTicks=256\n";

class ModulesTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    pumping.homeDir = home;
    SetHost(&pumping);
    pumping.BecomeGuiThread();
    WriteHomeFile("VALDOR.Ini", kIni);
    form = std::make_unique<TCalcForm>();
    SetPanel(form.get());
    form->show();
    StartUp(kNoWaits);
    for (int d = 0; d < kDigits; ++d) RamRegisters[300][d] = static_cast<uint8_t>(d);
    TNutCPU::Create();
  }
  void TearDown() override {
    TNutCPU::Stop();
    SetPanel(&panel);
    form.reset();
    SetHost(&host);
    MachineTest::TearDown();
  }
  // Events queued as the window system delivers them, then pumped.
  static void Pump(int rounds = 5) {
    for (int i = 0; i < rounds; ++i) QCoreApplication::processEvents();
  }
  static void Click(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
      QCoreApplication::postEvent(w, new QMouseEvent(type, at, w->mapToGlobal(at), Qt::LeftButton,
                                                     type == QEvent::MouseButtonPress
                                                         ? Qt::LeftButton
                                                         : Qt::NoButton,
                                                     Qt::NoModifier));
    Pump();
  }
  bool MemoryKept() {
    for (int d = 0; d < kDigits; ++d)
      if (RamRegisters[300][d] != d) return false;
    return true;
  }
  PumpingHost pumping;
  std::unique_ptr<TCalcForm> form;
};

TEST_F(ModulesTest, ImageDroppedOnTheFaceplateIsAppliedAndRunsWithTheMemoryKept) {
  // Two pages from outside the home folder; the last word tells them apart from empty space.
  const std::string away = home + "away/";
  std::filesystem::create_directory(away);
  std::string image(2 * 8192, '\0');
  image[image.size() - 1] = 0x23;
  image[image.size() - 2] = 0x01;
  std::ofstream(away + "my module.rom", std::ios::binary) << image;
  std::ofstream(away + "notes.txt") << std::string(1000, 'x');

  // Dragged over the faceplate's window and dropped, as the window system delivers it.
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(away + "my module.rom")),
                QUrl::fromLocalFile(QString::fromStdString(away + "notes.txt"))});
  QWindow* window = form->windowHandle();
  QCoreApplication::postEvent(window, new QDragEnterEvent(QPoint(100, 300), Qt::CopyAction, &mime,
                                                          Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(window, new QDropEvent(QPointF(100, 300), Qt::CopyAction, &mime,
                                                     Qt::LeftButton, Qt::NoModifier));
  Pump();
  TModulesForm* modules = form->ContextMenu()->ModulesWindow();
  ASSERT_NE(modules, nullptr);
  EXPECT_TRUE(modules->isVisible());
  ASSERT_EQ(modules->Items().size(), 2u);
  // A file that is no image is listed with its reason, left where it is.
  EXPECT_EQ(modules->Items()[1].file, away + "notes.txt");
  EXPECT_EQ(modules->Checks()[1].problem, "holds 800 words: an image holds whole pages of 4096 words");
  EXPECT_TRUE(modules->ProblemsLabel()->text().contains("holds 800 words"));
  EXPECT_FALSE(std::filesystem::exists(home + "notes.txt"));
  EXPECT_EQ(modules->Items()[1].start, 0xA000);  // the next free page after the first
  modules->EntryTable()->selectRow(1);
  Click(modules->findChild<QPushButton*>("RemoveButton"));
  ASSERT_EQ(modules->Items().size(), 1u);
  EXPECT_FALSE(modules->ProblemsLabel()->isVisible());
  EXPECT_EQ(modules->Items()[0].file, "my_module.rom");  // copied in, without the space
  EXPECT_EQ(modules->Items()[0].start, 0x8000);
  EXPECT_EQ(ReadFile(home + "my_module.rom"), image);
  EXPECT_EQ(modules->PageTable()->item(9, 0)->text(), "my_module.rom");
  EXPECT_EQ(modules->PageTable()->item(10, 0)->text(), "free");
  EXPECT_EQ(FetchRom(0x9FFF), 0);

  Click(modules->ApplyButton());
  EXPECT_EQ(FetchRom(0x9FFF), 0x123);
  EXPECT_TRUE(MemoryKept());
  EXPECT_TRUE(TNutCPU::Exists());
  // The comments and the keys not changed stay (the restart writes the settings, as an end).
  const std::string ini = ReadFile(home + "VALDOR.Ini");
  EXPECT_EQ(ini.rfind("; my calculator\n[Calc]\nContrast=9\n", 0), 0u) << ini;
  EXPECT_NE(ini.find("[ROM]\n; none yet\nModules=1\nModule1=$8000 my_module.rom\n[CPU]\n"
                     "Ticks=256\n"),
            std::string::npos)
      << ini;
  EXPECT_EQ(modules->EntryTable()->item(0, 6)->text(), "loaded");
  EXPECT_FALSE(modules->Edited());
  EXPECT_TRUE(pumping.messages.empty());
}

TEST_F(ModulesTest, SnapshotsRoundTripAndAFileThatIsNoImageChangesNothing) {
  TCalcMenu* menu = form->ContextMenu();
  const std::string snapshot = home + "snap.RAM";
  menu->SaveMemoryAs(QString::fromStdString(snapshot));
  EXPECT_EQ(ReadFile(snapshot).size(), 336u * 9);  // registers 0..15 and 192..511

  // Files that are no RAM image: each refused with its reason, nothing replaced.
  std::filesystem::create_directory(home + "folder");
  const std::pair<std::string, std::string> refused[] = {
      {WriteHomeFile("short.RAM", std::string(10, 'x')), "10 bytes: not a whole number of 9-byte records"},
      {WriteHomeFile("empty.RAM", ""), "empty file"},
      {home + "folder", "a folder"},
      {home + "missing.RAM", "No such file"},
  };
  for (const auto& [path, reason] : refused) {
    pumping.messages.clear();
    menu->LoadMemory(QString::fromStdString(path));
    ASSERT_EQ(pumping.messages.size(), 1u) << path;
    EXPECT_NE(pumping.messages[0].find(reason), std::string::npos) << pumping.messages[0];
    EXPECT_NE(pumping.messages[0].find("The memory is unchanged."), std::string::npos);
    EXPECT_TRUE(MemoryKept());
    EXPECT_FALSE(std::filesystem::exists(HomeFile(kMemoryBackup)));
  }

  // The snapshot comes back; what was there before is kept aside.
  TNutCPU::RunHalted([] { RamRegisters[300][0] = 9; });
  const std::string before = MemoryImage();
  pumping.messages.clear();
  menu->LoadMemory(QString::fromStdString(snapshot));
  EXPECT_TRUE(pumping.messages.empty());
  EXPECT_TRUE(MemoryKept());
  EXPECT_EQ(ReadFile(HomeFile(kMemoryBackup)), before);
  EXPECT_TRUE(TNutCPU::Exists());
}

TEST_F(ModulesTest, MemoryOfAnHp41CKeepsTheRegistersItHas) {
  RamRegisters[200][0] = 7;
  TModulesForm* modules = form->ContextMenu()->ShowModules();
  modules->RamComboBox()->setCurrentIndex(modules->RamComboBox()->findData(kRamSize41C));
  EXPECT_TRUE(modules->Edited());
  Click(modules->ApplyButton());
  EXPECT_NE(ReadFile(home + "VALDOR.Ini").find("Size=64\n"), std::string::npos);
  EXPECT_TRUE(RamExists[255]);
  EXPECT_FALSE(RamExists[256]);
  EXPECT_EQ(RamRegisters[200][0], 7);
  EXPECT_EQ(modules->RamComboBox()->currentText(), "HP-41C: registers 192..255");
}

// A close that arrives while the machine restarts (a signal, the close box) waits for the
// memory to be back, then saves it.
TEST_F(ModulesTest, CloseDuringARestartSavesTheMemoryAfterIt) {
  form->SetShutDownWaits(0, 0, 0);
  QCoreApplication::postEvent(form.get(), new QCloseEvent);
  ASSERT_TRUE(form->Restart());
  Pump();
  EXPECT_TRUE(form->ShutDownRan());
  EXPECT_FALSE(TNutCPU::Exists());
  ClearRamMap();  // what was saved is read back
  AddRamRange(300, 301);
  ASSERT_TRUE(LoadRamImage(0));
  EXPECT_EQ(RamRegisters[300][13], 13);
}

}  // namespace
