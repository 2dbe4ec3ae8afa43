// libFuzzer target for the command link's answer check: a device node (a
// seqpacket socket behind a sysfs tree, as the simulator serves them) that
// answers each request with arbitrary bytes laid over the request's echo, and
// the channel's commands run against it by cable and through the receiver:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target device_channel_fuzzer
//   build/fuzz/bin/device_channel_fuzzer fuzz/corpus/device_channel
//
// The input: a command byte, its arguments, then 64 bytes per answer report
// (XORed onto the echo of the request, so zeros are a faithful answer). An
// answer that does not answer its request (another command, or another
// length and position than echoed) is followed by a second report; the
// channel reads at most two.
//
// What must hold: every request is a sealed report of the command with the
// chunks' lengths and positions in order; the result is the one the answers
// call for (success, the status codes, the receiver's answer, no answer); a
// read stores exactly the data of the answers that answered, and nothing of
// one that did not.
#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "hid/DeviceChannel.h"
#include "protocol/Command.h"
#include "protocol/DeviceCommand.h"
#include "sim/SimDescriptors.h"
#include "sim/SimulatedNode.h"
#include "sim/SysfsTreeWriter.h"

namespace {

using hid::DeviceChannel;
using protocol::Command;
using protocol::DeviceCommand;
using Report = std::array<uint8_t, DeviceCommand::kSize>;

// One request and what the node answered it with.
struct Exchange {
  Report request{};
  // The report that answered (the first or second sent), if any did.
  std::optional<Report> answer;
  // The channel's result for the exchange alone: 1, 0 or the receiver's.
  int result = hid::kResultNoAnswer;
};

// The answers of one input, taken by the node's thread as requests arrive.
class Script {
 public:
  void Start(std::vector<uint8_t> bytes, bool wireless) {
    std::lock_guard lock(mutex_);
    bytes_ = std::move(bytes);
    at_ = 0;
    wireless_ = wireless;
    exchanges_.clear();
    badRequest_ = false;
  }
  // What the node sends back for `request`.
  std::vector<Report> Answer(std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    Exchange exchange;
    if (bytes.size() != DeviceCommand::kSize) {
      badRequest_ = true;
      return {};
    }
    std::copy(bytes.begin(), bytes.end(), exchange.request.begin());
    std::vector<Report> sent;
    for (int attempt = 0; attempt < 2; ++attempt) {
      Report report = exchange.request;
      // Byte 0 stays the report id: a report of another collection is not
      // one the link reads.
      for (size_t i = 1; i < report.size() && at_ < bytes_.size(); ++i)
        report[i] ^= bytes_[at_++];
      sent.push_back(report);
      if (Belongs(report, exchange.request)) {
        exchange.answer = report;
        exchange.result = hid::kResultSuccess;
        break;
      }
      if (wireless_ && report[DeviceCommand::kAnswerCommandOffset] == protocol::kReceiverAnswered) {
        exchange.result = hid::kResultReceiverAnswer;
        break;
      }
    }
    exchanges_.push_back(exchange);
    return sent;
  }
  std::vector<Exchange> Exchanges() {
    std::lock_guard lock(mutex_);
    FUZZ_CHECK(!badRequest_);
    return exchanges_;
  }

 private:
  // An answer names the request's command and echoes its length and
  // position, or leaves them zero.
  static bool Belongs(const Report& answer, const Report& request) {
    if (answer[DeviceCommand::kAnswerCommandOffset] != request[DeviceCommand::kCommandOffset])
      return false;
    bool echoed = true, blank = true;
    for (size_t i = DeviceCommand::kLengthOffset; i <= DeviceCommand::kPositionOffset + 1; ++i) {
      echoed = echoed && answer[i] == request[i];
      blank = blank && answer[i] == 0;
    }
    return echoed || blank;
  }

  std::mutex mutex_;
  std::vector<uint8_t> bytes_;
  size_t at_ = 0;
  bool wireless_ = false;
  bool badRequest_ = false;
  std::vector<Exchange> exchanges_;
};

// A keyboard's command interface served from a scratch folder: one node for
// the channel by cable and one for the channel through the receiver, so that
// no answer meant for one waits on the other's connection.
struct Bench {
  Bench() : scratch("device_channel_fuzzer") {
    const std::string root = QFile::encodeName(scratch.Folder()).toStdString();
    QDir().mkpath(scratch.Path("sys"));
    QDir().mkpath(scratch.Path("dev"));
    ::setenv("TRAVIX_SYSFS_ROOT", (root + "sys").c_str(), 1);
    ::setenv("TRAVIX_DEV_ROOT", (root + "dev").c_str(), 1);
    sysfs = std::make_unique<sim::SysfsTreeWriter>(root + "sys");
    Serve(root, 2, wiredNode, wired.Wired);
    Serve(root, 3, receiverNode, wireless.Receiver);
    wired.SetMode(1);
    wired.IsOpen = true;
    wireless.SetMode(2);
    wireless.IsOpen = true;
  }
  void Serve(const std::string& root, int port, std::unique_ptr<sim::SimulatedNode>& server, hid::HidDevice& device) {
    const std::string node =
        sysfs->AddUsbNode(0x320F, 0x5055, 1, port, 0x0103, sim::CommandInterfaceDescriptor(), "Fuzzed Keyboard");
    server = std::make_unique<sim::SimulatedNode>(root + "dev/" + node, [this, &server](std::span<const uint8_t> request) {
      for (Report& answer : script.Answer(request))
        server->Broadcast(std::vector<uint8_t>(answer.begin(), answer.end()));
    });
    if (!server->IsListening())
      std::abort();
    if (!device.Open(root + "dev/" + node + "?vid_320f&pid_5055&mi_01&col04", true, true, true, false))
      std::abort();
  }

  fuzz::Scratch scratch;
  Script script;
  std::unique_ptr<sim::SysfsTreeWriter> sysfs;
  std::unique_ptr<sim::SimulatedNode> wiredNode;
  std::unique_ptr<sim::SimulatedNode> receiverNode;
  DeviceChannel wired;
  DeviceChannel wireless;
};

// The result of one exchange of a command that checks the status byte.
int WithStatus(const Exchange& exchange) {
  if (exchange.result != hid::kResultSuccess)
    return exchange.result;
  switch ((*exchange.answer)[DeviceCommand::kAnswerStatusOffset]) {
    case protocol::kStatusRejected: return hid::kResultStatusFF;
    case protocol::kStatusFailed: return hid::kResultStatusFE;
    default: return hid::kResultSuccess;
  }
}

void CheckSealed(const Exchange& exchange, Command command) {
  const Report& request = exchange.request;
  FUZZ_CHECK(request[DeviceCommand::kReportIdOffset] == DeviceCommand::kReportId);
  FUZZ_CHECK(request[DeviceCommand::kCommandOffset] == protocol::ToByte(command));
  FUZZ_CHECK(DeviceCommand::StoredChecksum(request) == DeviceCommand::Checksum(request));
}

// A block command: requests in order, chunk by chunk, stopping at the first
// that fails. Reads must hold the answers' data; writes must carry the source.
void CheckBlock(const std::vector<Exchange>& exchanges, int result, Command command, size_t count, uint16_t base,
                size_t chunk, const std::vector<uint8_t>* source, const std::vector<uint8_t>* destination,
                const std::vector<uint8_t>& destinationBefore) {
  size_t done = 0;
  std::vector<uint8_t> expected = destinationBefore;
  int last = hid::kResultSuccess;
  for (const Exchange& exchange : exchanges) {
    FUZZ_CHECK(last == hid::kResultSuccess);  // nothing is sent after a failure
    CheckSealed(exchange, command);
    const size_t n = exchange.request[DeviceCommand::kLengthOffset];
    FUZZ_CHECK(n == std::min(chunk, count - done));
    FUZZ_CHECK(DeviceCommand::PositionOf(exchange.request) == static_cast<uint16_t>(base + done));
    if (source != nullptr)
      FUZZ_CHECK(std::equal(source->begin() + static_cast<std::ptrdiff_t>(done),
                            source->begin() + static_cast<std::ptrdiff_t>(done + n),
                            exchange.request.begin() + DeviceCommand::kDataOffset));
    last = WithStatus(exchange);
    if (last == hid::kResultSuccess && destination != nullptr)
      std::copy_n(exchange.answer->begin() + DeviceCommand::kDataOffset, n,
                  expected.begin() + static_cast<std::ptrdiff_t>(done));
    done += n;
  }
  if (result != last)
    std::fprintf(stderr, "result %d, expected %d after %zu exchanges\n", result, last, exchanges.size());
  FUZZ_CHECK(result == last);
  if (result == hid::kResultSuccess)
    FUZZ_CHECK(done == count);
  if (destination != nullptr)
    FUZZ_CHECK(*destination == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Bench bench_;  // kept for the run: its node thread serves every input
  Bench* const bench = &bench_;
  FuzzedDataProvider provider(data, size);
  const uint8_t choice = provider.ConsumeIntegral<uint8_t>();
  const bool receiver = (choice & 0x80) != 0;
  DeviceChannel& channel = receiver ? bench->wireless : bench->wired;
  const size_t chunk = receiver ? DeviceChannel::kReceiverChunk : DeviceCommand::kMaxData;
  const uint16_t base = provider.ConsumeIntegral<uint16_t>();
  const size_t count = provider.ConsumeIntegralInRange<size_t>(0, 300);
  std::vector<uint8_t> source = provider.ConsumeBytes<uint8_t>(count);
  source.resize(count);
  bench->script.Start(provider.ConsumeRemainingBytes<uint8_t>(), receiver);

  std::vector<uint8_t> destination(count, 0x5A);
  const std::vector<uint8_t> before = destination;
  switch (choice % 9) {
    case 0: {
      std::vector<uint8_t> info(DeviceChannel::kInfoBytes, 0x5A);
      const std::vector<uint8_t> infoBefore = info;
      const int result = channel.ReadDeviceInfo(info);
      CheckBlock(bench->script.Exchanges(), result, Command::ReadDeviceInfo, info.size(), 0, chunk, nullptr, &info,
                 infoBefore);
      break;
    }
    case 1: {
      const int result = channel.ReadParameters(destination, base);
      CheckBlock(bench->script.Exchanges(), result, Command::ReadParameters, count, base, chunk, nullptr,
                 &destination, before);
      break;
    }
    case 2: {
      const int result = channel.WriteParameters(source, base);
      CheckBlock(bench->script.Exchanges(), result, Command::WriteParameters, count, base, chunk, &source, nullptr,
                 before);
      break;
    }
    case 3: {
      const uint16_t transfer = static_cast<uint16_t>(base % (DeviceChannel::kMaxTransferSize + 1));
      FUZZ_CHECK(channel.SetTransferSize(transfer));
      std::vector<uint8_t> table(DeviceChannel::kMaxTransferSize, 0x5A);
      const std::vector<uint8_t> tableBefore = table;
      const int result = channel.ReadKeyTable(table);
      CheckBlock(bench->script.Exchanges(), result, Command::ReadKeyTable, transfer, 0, chunk, nullptr, &table,
                 tableBefore);
      FUZZ_CHECK(channel.SetTransferSize(DeviceChannel::kMaxTransferSize));
      break;
    }
    case 4: {
      std::array<uint8_t, 6> status{};
      status.fill(0x5A);
      const int result = channel.ReadPowerStatus(status, base);
      const std::vector<Exchange> exchanges = bench->script.Exchanges();
      FUZZ_CHECK(exchanges.size() == 1);
      CheckSealed(exchanges[0], Command::ReadPowerStatus);
      FUZZ_CHECK(exchanges[0].request[DeviceCommand::kLengthOffset] == status.size());
      FUZZ_CHECK(DeviceCommand::PositionOf(exchanges[0].request) == base);
      FUZZ_CHECK(result == WithStatus(exchanges[0]));
      if (result == hid::kResultSuccess)
        FUZZ_CHECK(std::equal(status.begin(), status.end(), exchanges[0].answer->begin() + DeviceCommand::kDataOffset));
      else
        FUZZ_CHECK(std::all_of(status.begin(), status.end(), [](uint8_t b) { return b == 0x5A; }));
      break;
    }
    case 5: {
      const bool up = channel.QueryWirelessLink();
      const std::vector<Exchange> exchanges = bench->script.Exchanges();
      if (!receiver) {
        FUZZ_CHECK(up && exchanges.empty());
        break;
      }
      FUZZ_CHECK(exchanges.size() == 1);
      CheckSealed(exchanges[0], Command::QueryWirelessLink);
      FUZZ_CHECK(up == (WithStatus(exchanges[0]) == hid::kResultSuccess &&
                        (*exchanges[0].answer)[DeviceCommand::kDataOffset] == protocol::kWirelessLinkUp));
      break;
    }
    case 6: {
      const int result = channel.BeginTransfer();
      const std::vector<Exchange> exchanges = bench->script.Exchanges();
      FUZZ_CHECK(exchanges.size() == 1);
      CheckSealed(exchanges[0], Command::BeginTransfer);
      FUZZ_CHECK(result == WithStatus(exchanges[0]));
      break;
    }
    case 7: {
      const int result = channel.WriteRecoilData(source);
      CheckBlock(bench->script.Exchanges(), result, Command::WriteRecoilData, count, 0, DeviceCommand::kMaxData,
                 &source, nullptr, before);
      break;
    }
    default: {
      const int slot = base & 3;
      const int slotSize = 1 + (base >> 2) % 200;
      const int result = channel.ReadColorTable(destination, slot, slotSize);
      CheckBlock(bench->script.Exchanges(), result, Command::ReadColorTable, count,
                 static_cast<uint16_t>(slot * slotSize), chunk, nullptr, &destination, before);
      break;
    }
  }
  return 0;
}
