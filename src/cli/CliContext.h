// What a korvelfw command works with: the options, the machine, the SCSI transport over it (with
// the command log when asked for) and the two output streams.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/GlobalOptions.h"
#include "machine/ScsiSession.h"
#include "transport/DeviceAddress.h"
#include "transport/ScsiTransport.h"

namespace korvel::cli {

// Bad usage or bad input found while the context is made; korvelfw exits with kExitBadUsage.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Said when every drive's node refused to open.
inline constexpr char kNoDeviceOpenedText[] =
    "none of the drives' device nodes could be opened, so no drive could be asked what it is";

class CliContext {
 public:
  // Makes the machine the options name. Throws UsageError for a bad --drive, a command log
  // that cannot be written (among them one that is a file the run reads: the machine's or one of
  // `commandInputs`) or a scenario that cannot be used.
  static std::unique_ptr<CliContext> Make(const GlobalOptions& options,
                                          const std::vector<machine::InputFile>& commandInputs,
                                          std::ostream& out, std::ostream& err);
  CliContext(const GlobalOptions& options, std::unique_ptr<machine::Machine> machine,
             const std::vector<machine::InputFile>& commandInputs, std::ostream& out,
             std::ostream& err);
  // Stops the transport (the library is released as when the window closes).
  ~CliContext();
  CliContext(const CliContext&) = delete;
  CliContext& operator=(const CliContext&) = delete;

  const GlobalOptions& options() const { return options_; }
  std::ostream& out() { return out_; }
  std::ostream& err() { return err_; }
  machine::Machine& machine() { return session_->machine(); }
  transport::ScsiTransport& transport() { return session_->transport(); }

  // Starts the transport as the main window does: the number of host adapters to scan, or
  // nothing once the start-up error and its hint have been printed.
  std::optional<int> StartTransport();
  // The name of the back end the start-up chose, for people.
  std::string TransportName() const;
  // --drive H:T, when given.
  std::optional<transport::DeviceAddress> requestedDrive() const { return requestedDrive_; }
  // Why the command log could not be written in full; empty when it was or when there is none.
  std::string CommandLogFailure();
  // Prints the machine's notes to stderr, one "note:" line each.
  void PrintNotes();
  // When the machine has drives but could open none of them (no right to, for example), says so
  // on stderr with the notes that name every node and why, and returns true: finding no drive
  // then tells nothing about what is there.
  bool ReportNoDeviceOpened();

 private:
  GlobalOptions options_;
  std::ostream& out_;
  std::ostream& err_;
  std::unique_ptr<machine::ScsiSession> session_;
  std::optional<transport::DeviceAddress> requestedDrive_;
};

// "H:T" with H in 0..7 and T in 0..15; nothing for anything else.
std::optional<transport::DeviceAddress> ParseDriveAddress(const std::string& text);

}  // namespace korvel::cli
