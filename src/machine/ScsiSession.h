// The SCSI side of one program run: the machine, the transport over it and, when asked for, the
// command log the transport writes. Built once from the options and passed by reference.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "machine/CommandLogFile.h"
#include "machine/Machine.h"
#include "transport/CommandLog.h"
#include "transport/ScsiTransport.h"

namespace korvel::machine {

class ScsiSession {
 public:
  // Throws std::runtime_error naming the file when the command log cannot be written, or when it
  // is a file the run reads: the machine's own (its scenario and disc images) or one of
  // `otherInputs`. An empty path means no log; a log is asked for with a file name.
  ScsiSession(std::unique_ptr<Machine> machine, const std::string& commandLogPath,
              const std::vector<InputFile>& otherInputs = {});
  ~ScsiSession();
  ScsiSession(const ScsiSession&) = delete;
  ScsiSession& operator=(const ScsiSession&) = delete;

  Machine& machine() { return *machine_; }
  transport::ScsiTransport& transport() { return *transport_; }

  // StartTransport with the machine's own SCSI discovery as the last resort.
  std::int32_t StartTransport();
  std::int32_t StopTransport();

  // Writes out the command log; then why it could not be written in full, or empty when it was
  // (or when there is none).
  std::string CommandLogFailure();

 private:
  std::unique_ptr<Machine> machine_;
  std::unique_ptr<CommandLogFile> logFile_;
  std::unique_ptr<transport::CommandLog> log_;
  // Declared last: it goes before the log and the machine whose services it holds.
  std::unique_ptr<transport::ScsiTransport> transport_;
};

}  // namespace korvel::machine
