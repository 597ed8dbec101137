#pragma once
// The platform services the machine calls. The desktop program installs a Qt implementation,
// tests and valdor-run the headless one. Nothing here includes a Qt header.

#include <cstdint>
#include <functional>
#include <string>

struct LocalDateTime {
  int year, month, day, hour, minute, second;
};

class Host {
 public:
  virtual ~Host() = default;

  // Runs fn in the GUI thread and returns when it has finished; from the GUI thread itself
  // fn runs at once.
  virtual void RunInGuiThread(const std::function<void()>& fn) = 0;
  // The modal message box with an OK button.
  virtual void MessageBox(const std::string& caption, const std::string& text) = 0;
  // The same box for a message that reports success (an information, not a warning).
  virtual void Notice(const std::string& caption, const std::string& text) {
    MessageBox(caption, text);
  }
  // A file that could not be read or written: a plain warning, not a CPU error.
  virtual void FileError(const std::string& text) = 0;
  // Handles pending window messages, so that the window is drawn and keys can be held.
  virtual void ProcessMessages() = 0;
  // Milliseconds, 32 bits, wrapping; advances in whole 10 ms steps.
  virtual uint32_t TickCount() = 0;
  virtual LocalDateTime LocalTime() = 0;
  // Starts (true) or stops (false) the beeper's steady tone.
  virtual void Speaker(bool on) = 0;
  // The folder that holds VALDOR.Ini and its companions, ending in '/'.
  virtual std::string HomeDir() = 0;
  // The program's own data folder (its demonstration firmware), ending in '/'; empty: none.
  virtual std::string DataDir() { return {}; }
  // The executable's name without folder and extension ("VALDOR").
  virtual std::string ProgramName() = 0;
  // Shows text on the annunciator line, from any thread, without waiting for the GUI.
  virtual void Announce(const std::string& text) = 0;
  // The program is ending without anyone at the screen (a signal, or after the event loop):
  // timed waits end at once.
  virtual bool Ending() { return false; }
  // Whether the host belongs to the NT family of Windows (never, on this host).
  virtual bool IsNT() { return false; }
};

Host& TheHost();
// Installs the host; the caller keeps ownership. Passing nullptr restores the headless host.
void SetHost(Host* host);

// The files beside the executable: HomeDir() + ProgramName() + extension (".Ini", ".RAM", ...).
std::string HomeFile(const std::string& extension);

// text followed by the system's reason for errno value error: "...: Permission denied".
std::string WithReason(const std::string& text, int error);

// Waits for ms milliseconds of the tick counter while processing messages.
void WaitProcessingMessages(uint32_t ms);
