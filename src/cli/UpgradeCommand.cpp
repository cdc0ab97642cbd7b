#include "cli/UpgradeCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/CliContext.h"
#include "cli/ExitCodes.h"
#include "cli/SafeText.h"
#include "cli/UpgradeCommandWindow.h"
#include "machine/FlashGuards.h"

namespace korvel::cli {
namespace {

bool AnsweredYes(std::istream& in) {
  std::string answer;
  if (!std::getline(in, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES" || answer == "Yes";
}

nlohmann::ordered_json Report(const upgrade::UpgradeSession& session,
                              const upgrade::UpgradeDialogModel& model, const std::string& file,
                              bool dryRun, const std::string& before, bool transferred,
                              const std::vector<std::string>& refusals = {}) {
  nlohmann::ordered_json result;
  result["drive"] = AddressText(session);
  result["file"] = file;
  result["dry_run"] = dryRun;
  result["status"] = model.statusText();
  result["success"] = transferred && model.lastUpgrade().transfer.succeeded();
  const std::optional<upgrade::SenseReport>& sense = model.lastUpgrade().sense;
  result["sense"] = sense ? nlohmann::ordered_json(*sense) : nlohmann::ordered_json(nullptr);
  result["chunks_sent"] = transferred ? model.lastUpgrade().transfer.chunksSent : 0;
  result["firmware_before"] = before;
  result["firmware_after"] = transferred ? model.firmwareVersionText() : before;
  // What refused the flash (or, in a dry run, would have); empty when nothing did.
  nlohmann::ordered_json guards = nlohmann::ordered_json::array();
  for (const std::string& refusal : refusals) guards.push_back(refusal);
  if (!model.lastUpgrade().refusal.empty()) guards.push_back(model.lastUpgrade().refusal);
  result["refused_by_guards"] = guards;
  return result;
}

}  // namespace

UpgradeCommand::UpgradeCommand()
    : console_{&std::cin, [] { return ::isatty(STDIN_FILENO) == 1; },
               [] { return ::isatty(STDOUT_FILENO) == 1; }} {}

std::string UpgradeCommand::description() const {
  return "Check an upgrade file and flash it to a drive with WRITE BUFFER";
}

void UpgradeCommand::Configure(CLI::App& subcommand) {
  subcommand.add_option("FILE", file_, "The upgrade file (.bin)")->required();
  subcommand.add_flag("--yes,-y", yes_, "Flash without asking for confirmation");
  subcommand.add_flag("--dry-run", dryRun_,
                      "Check, identify the drive and read the file through, but send no WRITE "
                      "BUFFER");
  subcommand.add_flag("--ignore-power", ignorePower_,
                      "Flash even when the computer runs on a nearly empty battery");
  // The global options (--drive, --json) may follow the command too.
  subcommand.fallthrough();
}

namespace {

// What to say when a successful flash still shows the old revision: the NT port driver keeps the
// identity it read at start-up; a drive reached directly may answer with its old identity until
// it has restarted.
std::string SameRevisionWarning(CliContext& context, const std::string& after) {
  std::string text = "warning: the drive still reports firmware version " + PrintableText(after);
  if (context.transport().state().PassThroughMode) {
    return text +
           ". In NT pass-through mode the port driver keeps the identity it read at start-up; "
           "restart the computer to see the new version.";
  }
  return text +
         ". The drive may report its old revision until it restarts; switch it off and on, then "
         "scan again.";
}

std::string SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
#ifdef SIGHUP
    case SIGHUP:
      return "SIGHUP";
#endif
    default:
      return "signal " + std::to_string(signal);
  }
}

// The guards of the machine, when it has any; notes go to stderr as they come.
std::optional<machine::FlashGuards> GuardsOf(CliContext& context, bool ignorePower) {
  machine::FlashHost* host = context.machine().flashHost();
  if (host == nullptr) return std::nullopt;
  machine::FlashGuardOptions options;
  options.program = "korvelfw";
  options.ignorePower = ignorePower;
  options.note = [&context](const std::string& note) {
    context.err() << "note: " << PrintableText(note) << '\n';
  };
  return std::optional<machine::FlashGuards>(std::in_place, *host, std::move(options));
}

}  // namespace

int UpgradeCommand::Run(CliContext& context) {
#ifdef SIGPIPE
  // Output that nobody reads any more (a pager quit, a pipe closed) must change neither the
  // flash nor its exit status: writes then fail quietly instead of ending the program.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  if (file_.empty()) {
    context.err() << "korvelfw: the upgrade file path is empty\n";
    return kExitBadUsage;
  }
  const bool json = context.options().json;
  upgrade::UpgradeSession session;
  UpgradeCommandWindow window(context, FullPathOf(file_));
  upgrade::UpgradeDialogModel model(context.transport(), session, window,
                                    TransportControlOf(context));
  if (std::optional<int> stop = OpenDialogAndLoad(context, model, window)) return *stop;
  const std::string before = model.firmwareVersionText();

  if (!window.IsEnabled(upgrade::kUpgradeButton)) {
    if (json) {
      context.out() << SafeJson(Report(session, model, file_, dryRun_, before, false)) << '\n';
    } else {
      context.out() << PrintableText(model.statusText()) << '\n';
    }
    ExplainRefusal(context, model, window);
    return kExitFailed;
  }

  // Records already lost would make the log of this upgrade a lie; stop before anything is sent.
  if (!context.CommandLogFailure().empty()) {
    context.err() << "korvelfw: nothing was sent to the drive\n";
    return kExitBadUsage;
  }

  // A rehearsal writes nothing, so it needs no consent.
  const bool ask = !yes_ && !dryRun_;

  // What would refuse the flash is said before the question, so that nobody confirms a flash
  // that cannot go ahead; a dry run says it and rehearses all the same. With --yes the guards
  // check as they take their holds: a look now would see another Korvel program that has the
  // drive open for the same race, and both would give up.
  std::optional<machine::FlashGuards> guards = GuardsOf(context, ignorePower_);
  std::vector<std::string> refusals;
  if (guards && (ask || dryRun_)) refusals = guards->Preview(session.SelectedAddress());
  for (const std::string& refusal : refusals) {
    context.err() << "korvelfw: " << (dryRun_ ? "the upgrade would be refused: " : "")
                  << PrintableText(refusal) << '\n';
  }
  if (!refusals.empty() && !dryRun_) {
    if (json) {
      context.out() << SafeJson(Report(session, model, file_, dryRun_, before, false, refusals))
                    << '\n';
    }
    context.err() << "korvelfw: nothing was sent to the drive\n";
    return kExitFailed;
  }
  if (guards) model.SetFlashGuard(&*guards);

  if (ask && (!console_.in || !console_.inputIsTerminal || !console_.inputIsTerminal())) {
    context.err() << "korvelfw: upgrade writes new firmware to drive " << AddressText(session)
                  << "; pass --yes to confirm when not running on a terminal\n";
    return kExitBadUsage;
  }

  // The verdict on the file comes first, so that the question below follows the line that says
  // the file is valid.
  if (!json) context.out() << PrintableText(model.statusText()) << '\n' << std::flush;

  if (ask) {
    context.err() << "Flash " << PrintableText(file_) << " to drive " << AddressText(session)
                  << " (" << PrintableText(window.driveItem(session.SelectedDrive)) << ", firmware "
                  << PrintableText(before)
                  << ")? Do not switch the computer off while it runs. [y/N] " << std::flush;
    if (!AnsweredYes(*console_.in)) {
      context.err() << "Upgrade cancelled; nothing was sent.\n";
      return kExitFailed;
    }
  }

  if (!json) {
    if (dryRun_) {
      context.out() << "Dry run: the file is read through and the drive questioned, but no "
                       "WRITE BUFFER is sent.\n";
    }
    window.EchoStatus(true);
    const bool terminal = console_.outputIsTerminal && console_.outputIsTerminal();
    window.ShowProgressAs(terminal ? UpgradeCommandWindow::Progress::Bar
                                   : UpgradeCommandWindow::Progress::Lines);
  }
  model.SetRehearsal(dryRun_);
  window.DescribeChunksAsRead(dryRun_);
  model.OnUpgrade();
  window.FinishProgress();

  const upgrade::UpgradeReport& report = model.lastUpgrade();
  using Kind = upgrade::TransferOutcome::Kind;
  if (report.transfer.kind == Kind::Refused || report.transfer.kind == Kind::Interrupted) {
    if (json) {
      context.out() << SafeJson(Report(session, model, file_, dryRun_, before, false)) << '\n';
    }
    if (report.transfer.kind == Kind::Refused) {
      context.err() << "korvelfw: nothing was sent to the drive\n";
      return kExitFailed;
    }
    context.err() << "korvelfw: stopped by " << SignalName(report.heldSignal)
                  << " before anything was written to the drive\n";
    return 128 + report.heldSignal;
  }
  if (report.heldSignal != 0) {
    context.err() << "korvelfw: " << SignalName(report.heldSignal)
                  << " was held until the upgrade had finished\n";
  }

  const bool succeeded = report.transfer.succeeded();
  const std::string after = model.firmwareVersionText();
  if (json) {
    context.out() << SafeJson(Report(session, model, file_, dryRun_, before, true, refusals))
                  << '\n';
  } else {
    context.out() << "Firmware version: " << PrintableText(before) << " before, "
                  << PrintableText(after) << " now\n";
  }
  if (succeeded && !dryRun_ && after == before) {
    context.err() << SameRevisionWarning(context, after) << '\n';
  }
  // The status line shows only the sense bytes; why the system refused a command (rights, a
  // capability the kernel wants) is in the notes.
  if (!succeeded) context.PrintNotes();
  // A rehearsal of a flash that the guards would refuse has not shown that the flash can go.
  return succeeded && refusals.empty() ? kExitSuccess : kExitFailed;
}

}  // namespace korvel::cli
