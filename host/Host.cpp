#include "host/Host.h"

#include <cstring>

#include "host/Headless.h"

namespace {
Host* installedHost = nullptr;
Panel* installedPanel = nullptr;
}  // namespace

Host& TheHost() {
  return installedHost ? *installedHost : DefaultHost();
}
void SetHost(Host* host) {
  installedHost = host;
}

Panel& ThePanel() {
  return installedPanel ? *installedPanel : DefaultPanel();
}
void SetPanel(Panel* panel) {
  installedPanel = panel;
}

std::string HomeFile(const std::string& extension) {
  return TheHost().HomeDir() + TheHost().ProgramName() + extension;
}

std::string WithReason(const std::string& text, int error) {
  return text + ": " + std::strerror(error);
}

void WaitProcessingMessages(uint32_t ms) {
  if (ms == 0) return;
  Host& host = TheHost();
  const uint32_t start = host.TickCount();
  while (host.TickCount() - start <= ms && !host.Ending()) host.ProcessMessages();
}
