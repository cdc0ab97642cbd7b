// One emulated Korvel drive at 0:0 on a simulated Windows 98 PC with ASPI, on virtual time, with
// the command log written to memory: what the speed routines send is read back from the log,
// CDB and data-out bytes as the drive received them.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "drive/Identification.h"
#include "drive/ReadSpeed.h"
#include "emulator/VirtualClock.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/SimulatedPc.h"
#include "transport/CommandLog.h"
#include "transport/ScsiTransport.h"
#include "transport/TransportStartup.h"

namespace korvel::drive::testing {

// One line of the command log.
struct LoggedCommand {
  std::string cdb;
  std::string direction;
  std::uint32_t length = 0;
  std::int32_t status = 0;
  std::string dataOut;  // empty for data-in commands
  std::string sense;
};

inline constexpr char kInquiryCdb[] = "12 00 00 00 38 00";

class SimulatedSpeedDrive {
 public:
  // `target` is the scenario entry of the drive (its "id" is set here).
  explicit SimulatedSpeedDrive(nlohmann::json target) {
    target["id"] = 0u;
    nlohmann::json adapter = nlohmann::json::object();
    adapter["id"] = 0u;
    adapter["targets"] = nlohmann::json::array({target});
    nlohmann::json scenario = nlohmann::json::object();
    scenario["os"] = "win98";
    scenario["aspi"] = nlohmann::json::object({{"installed", true}});
    scenario["adapters"] = nlohmann::json::array({adapter});
    pc_ = std::make_unique<platform::sim::SimulatedPc>(platform::sim::ParseScenario(scenario),
                                                       clock_);
    transport_ = std::make_unique<transport::ScsiTransport>(pc_->platform());
    transport::StartTransport(*transport_);
    log_ = std::make_unique<transport::CommandLog>(text_, pc_->platform().kernel);
    transport_->SetCommandLog(log_.get());
  }
  ~SimulatedSpeedDrive() {
    transport_.reset();
    pc_.reset();
  }

  // The drive as DriveTypeOf sees it.
  SpeedDrive drive() { return SpeedDrive(*transport_, 0, 0); }
  // The drive taken for model `type`: the INQUIRY still goes out, as DriveTypeOf sends it, but
  // its answer is read as `type`. This reaches the models the product table does not name.
  SpeedDrive driveAsType(DriveType type) {
    return SpeedDrive(*transport_, 0, 0,
                      [type](transport::ScsiTransport& transport, std::uint8_t a, std::uint8_t t) {
                        DriveTypeOf(transport, a, t);
                        return type;
                      });
  }

  // The commands logged since the last call.
  std::vector<LoggedCommand> Sent() {
    std::vector<LoggedCommand> lines;
    std::istringstream in(text_.str());
    for (std::string line; std::getline(in, line);) {
      const nlohmann::json entry = nlohmann::json::parse(line);
      lines.push_back({entry.at("cdb"), entry.at("direction"), entry.at("length"),
                       entry.at("status"), entry.value("data_out", ""), entry.value("sense", "")});
    }
    text_.str("");
    return lines;
  }
  // The CDBs logged since the last call, INQUIRY included.
  std::vector<std::string> SentCdbs() {
    std::vector<std::string> cdbs;
    for (const LoggedCommand& command : Sent()) cdbs.push_back(command.cdb);
    return cdbs;
  }

  transport::ScsiTransport& transport() { return *transport_; }

 private:
  emulator::VirtualClock clock_;
  std::unique_ptr<platform::sim::SimulatedPc> pc_;
  std::unique_ptr<transport::ScsiTransport> transport_;
  std::ostringstream text_;
  std::unique_ptr<transport::CommandLog> log_;
};

// Scenario entries of the drives used.
inline nlohmann::json CdRomDrive() {  // type 17, page 0x31 family
  return {{"vendor", "KORVEL"}, {"product", "CD-ROM          "}};
}
inline nlohmann::json CdRDrive() {  // type 19, SET CD SPEED family
  return {{"vendor", "KORVEL"}, {"product", "CD-R            "}};
}
inline nlohmann::json Rz5140Drive() {  // type 16
  return {{"vendor", "KORVEL"}, {"product", "CD-R   RZ5140   "}};
}
inline nlohmann::json Rz6120Drive() {  // type 18, 10-byte mode commands only
  return {{"vendor", "KORVEL"}, {"product", "CD-R   RZ6120   "}};
}
inline nlohmann::json OtherMakersDrive() {
  return {{"vendor", "ACME"}, {"product", "CD-ROM CX-400"}};
}

}  // namespace korvel::drive::testing
