#include "host/Headless.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "display/Lcd.h"
#include "host/HomeFolder.h"
#include "printer/Dovada.h"

void HeadlessHost::MessageBox(const std::string& caption, const std::string& text) {
  messages.push_back(text);
  captions.push_back(caption);
  if (echoMessages) std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void HeadlessHost::Announce(const std::string& text) {
  ThePanel().drawAnnunciators(text);
  MessageBox(programName, text);
}

void HeadlessHost::RunInGuiThread(const std::function<void()>& fn) {
  std::unique_lock lock(queueMutex_);
  if (!guiThread_ || *guiThread_ == std::this_thread::get_id()) {
    lock.unlock();
    fn();
    return;
  }
  Request request{&fn};
  queue_.push_back(&request);
  queueDone_.wait(lock, [&] { return request.done; });
}

void HeadlessHost::ProcessMessages() {
  std::unique_lock lock(queueMutex_);
  while (!queue_.empty()) {
    Request* request = queue_.front();
    queue_.pop_front();
    lock.unlock();
    (*request->fn)();
    lock.lock();
    request->done = true;
    queueDone_.notify_all();
  }
}

void HeadlessHost::BecomeGuiThread() {
  std::lock_guard lock(queueMutex_);
  guiThread_ = std::this_thread::get_id();
}

uint32_t HeadlessHost::TickCount() {
  if (tickHook) tickHook();
  if (useFakeTicks_) return fakeTicks_;
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  return static_cast<uint32_t>(ms / 10 * 10);
}

LocalDateTime HeadlessHost::LocalTime() {
  if (fakeTime_) return *fakeTime_;
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string HeadlessHost::HomeDir() {
  return Home().dir;
}

HomeChoice HeadlessHost::Home() {
  if (homeDir.empty())
    return ChooseHome(std::getenv("VALDOR_HOME"), ExecutableDir(), programName, XdgDataHome());
  return {homeDir.back() == '/' ? homeDir : homeDir + '/'};
}

std::string ExecutableDir() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

int PlaceAxis(int value, int screen, int window) {
  if (value < 0) value = (screen - window) / 2;
  // The far edge is limited first, so that a window larger than the screen keeps its top and
  // left edges (the close button, the drag area) on screen.
  if (value > screen - window) value = screen - window;  // value + window could overflow
  return value < 0 ? 0 : value;
}

void HeadlessPanel::drawCharacters(const std::string& text) {
  chars = text.substr(0, 12);
}
void HeadlessPanel::drawPunctuation(const std::string& text) {
  punct = text.substr(0, 12);
}
void HeadlessPanel::drawAnnunciators(const std::string& text) {
  ann = text;
  annHistory.push_back(text);
}
void HeadlessPanel::applyContrast() {
  ++contrastApplied;
  redrawer.EmptyCaches();
}

void HeadlessPanel::redrawDisplay() {
  ++redraws;
  redrawer.Redraw();
}

void HeadlessPanel::RefreshPrinter() {
  paper.emplace_back(PrintLine());
  paperStart.push_back(SpaceLeft);
  ClearPrintBuffer();
}

void HeadlessPanel::PlaceMainWindow(int l, int t) {
  left = PlaceAxis(l, screenWidth, kWindowWidth);
  top = PlaceAxis(t, screenHeight, kWindowHeight);
}

HeadlessHost& DefaultHost() {
  static HeadlessHost host;
  return host;
}
HeadlessPanel& DefaultPanel() {
  static HeadlessPanel panel;
  return panel;
}
