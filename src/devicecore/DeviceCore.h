#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "devicecore/DeviceThread.h"
#include "hid/DeviceChannel.h"
#include "protocol/PowerStatus.h"
#include "hid/InterfaceRecord.h"
#include "lighting/LightInfoWords.h"
#include "platform/SerialWorker.h"

// A device without its page: its two channels (commands and events), the
// worker that runs its configuration exchanges one after the other, its
// event readers, its light points, its lighting record and its light thread.
//
// Threads and what each may touch:
// - The UI thread calls every operation. It never waits on the device: an
//   exchange runs as a job on the worker, and what it found is applied in
//   the job's completion, back on the UI thread.
// - A job touches only the buffers it was given and the channel.
// - The event readers and the light thread read the atomics (open flags,
//   the lighting record, the light points); what they hand the UI goes
//   through a queued call.
// - Opening, closing and switching the command interface are jobs too, so
//   the channel's IoLock is only ever taken off the UI thread.
class DeviceCore : public QObject {
  Q_OBJECT
 public:
  using EventHandler = std::function<void(uint16_t code, bool receiver)>;

  DeviceCore();
  // Stops the worker and the threads, then closes the interfaces.
  ~DeviceCore() override;

  // The channels, by their established names.
  hid::DeviceChannel Commands;
  hid::DeviceChannel Events;

  // --- The worker ---------------------------------------------------------
  // Runs `job` on the worker and `done` with its result on the UI thread.
  // With a key, nothing is queued while a job of that key is still on its
  // way (queued, running, or its completion not run yet): false then.
  template <typename Result>
  bool Run(std::function<Result()> job, std::function<void(Result)> done,
           const std::string& key = {}) {
    return Post(
        [job = std::move(job), done = std::move(done)]() -> platform::SerialWorker::Completion {
          Result result = job();
          if (!done)
            return {};
          return [done, result = std::move(result)] { done(result); };
        },
        key);
  }
  bool Post(platform::SerialWorker::Job job, const std::string& key = {});
  bool IsPending(const std::string& key) const { return worker_.IsPending(key); }
  // No job queued or running and no completion left to run.
  bool IsIdle() const { return outstanding_ == 0; }
  // Ends the worker, as the core goes: the link counts as closed, what is
  // queued is dropped, a pending transfer is cut short and the running job
  // is waited for until it ends (its exchanges then fail at once, its
  // pauses are bounded). Nothing can be queued afterwards.
  void StopWorker();

  // --- Connections ----------------------------------------------------------
  // Opens the command interface at `path` (the receiver's when `receiver`)
  // and, for a device with both connections, selects that mode. `done`
  // gets whether it opened.
  void OpenCommand(const std::string& path, bool receiver, bool setMode,
                   std::function<void(bool)> done);
  // Marks the channel closed at once, cuts a pending transfer short and
  // closes both links on the worker.
  void CloseCommand(std::function<void()> done = {});
  // Closes the active link and opens the other one (at `cablePath` or
  // `receiverPath`), in the order the switches were asked for. `done` gets
  // whether it opened; the mode then is the new one.
  void SwitchCommand(const std::string& cablePath, const std::string& receiverPath,
                     std::function<void(bool)> done);
  // Asks the receiver for its device's link, up to `tries` times with
  // `pauseMs` between (on the worker); true at once by cable. One check per
  // `purpose` is on its way at a time (false, and `done` dropped, else).
  bool CheckWirelessLink(std::function<void(bool)> done, const std::string& purpose = "link",
                         int tries = 1, int pauseMs = 0);
  // Tells a keyboard that the program takes over its lighting.
  void TakeLightControl();
  // The power status (nothing when the wireless link is down, for a device
  // that reports it through the receiver), given to `done` on the UI thread.
  using PowerBytes = protocol::PowerStatus::Bytes;
  void PollPowerStatus(std::function<void(std::optional<PowerBytes>)> done);
  // Whether the power status needs the wireless link to answer first (the
  // devices with a receiver); a device without one reads it at once.
  virtual bool PowerNeedsWirelessLink() const { return true; }
  // Worker side: reads the active profile slot, then that slot's block
  // (`stride` bytes apart) into `block`, with the slot in byte 0. False on
  // any failure.
  bool ReadActiveBlock(std::span<uint8_t> block, size_t stride);

  // Event interfaces: hands the interface at `path` to the device (closing
  // the one it had) and starts its reader; the receiver's when `receiver`.
  bool OpenEventInterface(const std::string& path, bool receiver);
  // Stops the reader (cutting its pending read short) and closes the
  // interface.
  void CloseEventInterface(bool receiver);
  bool IsEventInterfaceOpen(bool receiver) const;
  const DeviceThread& EventReader(bool receiver) const {
    return receiver ? receiverReader_ : wiredReader_;
  }
  // What the readers report; set before any reader starts.
  void SetEventHandler(EventHandler handler) { eventHandler_ = std::move(handler); }
  void SetEventThreadStyle(const std::string& exitLine, int stopLimitMs);
  void SetLightThreadStyle(const std::string& exitLine, int stopLimitMs);
  DeviceThread& LightThread() { return lightThread_; }
  // Stops the light thread and the readers.
  void StopThreads();

  // The version number (bcdDevice) of the command interface last opened by
  // cable or through the receiver; 0 before any.
  uint16_t InterfaceVersion(bool receiver) const {
    return receiver ? receiverVersion_.load() : cableVersion_.load();
  }

  // --- Identity ---------------------------------------------------------------
  void SetIdentity(const InterfaceRecord& identity) { identity_ = identity; }
  const InterfaceRecord& Identity() const { return identity_; }

  // --- Light points and the lighting record ----------------------------------
  // Red | green << 8 | blue << 16 | level << 24 per light point.
  void SetLedCount(int count);
  int LedCount() const { return static_cast<int>(ledColours_.size()); }
  void SetLedColour(int index, uint32_t colour);
  uint32_t GetLedColour(int index) const;
  void ClearLeds();
  LightWords GetLightWords() const {
    return {lightA_.load(std::memory_order_relaxed), lightB_.load(std::memory_order_relaxed),
            lightC_.load(std::memory_order_relaxed), lightD_.load(std::memory_order_relaxed),
            lightE_.load(std::memory_order_relaxed)};
  }
  void SetLightWords(const LightWords& words) {
    lightA_ = words.A;
    lightB_ = words.B;
    lightC_ = words.C;
    lightD_ = words.D;
    lightE_ = words.E;
  }
  bool IsLightControlEnabled() const { return lightControlEnabled_ != 0; }
  void SetLightControlEnabled(bool enabled) { lightControlEnabled_ = enabled ? 1 : 0; }

  // --- What the device keeps ------------------------------------------------
  // A device that comes back (after a suspend, after a reconnect) may have
  // lost what it was given: its memory goes with its power. Once a device has
  // been read in this run, a later read whose parameter block differs from
  // the block the current settings make of it is taken as such a loss: the
  // block is not taken into the profile, and the handler runs (queued, on
  // the UI thread) so that the profile is written to the device again. The
  // first read of a run still takes the device's block as it is, since its
  // settings may have been changed on the device itself.
  enum class Stored { Kept, Lost, Unread };
  void SetSettingsLostHandler(std::function<void()> handler) {
    settingsLost_ = std::move(handler);
  }
  // Reads the active block again and compares it with the current settings;
  // `done` gets the verdict on the UI thread (Unread when it could not be
  // read, or while a check is on its way; a device without a block of its
  // own says Unread at once).
  virtual void CheckStoredSettings(std::function<void(Stored)> done = {});
  bool ReadBefore() const { return readBefore_; }

  // A pause of a device operation (after a failed write): on the worker or
  // the light thread only.
  static void PauseDevice(int ms);

 protected:
  static constexpr const char* kCheckStoredKey = "check-stored";
  // CheckStoredSettings for a core: `exchange` reads the active block on
  // the worker, `lost` (on the UI thread) tells whether what was read shows
  // a lost memory, keeping the device's bytes and reporting the loss when
  // it does.
  template <typename Read>
  void CheckStoredBlock(std::function<Read()> exchange, std::function<bool(const Read&)> lost,
                        std::function<void(Stored)> done) {
    const bool queued = Run<Read>(
        std::move(exchange),
        [lost = std::move(lost), done](const Read& read) {
          const Stored verdict = !read.read ? Stored::Unread : lost(read) ? Stored::Lost : Stored::Kept;
          if (done)
            done(verdict);
        },
        kCheckStoredKey);
    if (!queued && done)
      done(Stored::Unread);
  }
  void MarkRead() { readBefore_ = true; }
  // Runs the lost handler once the current completion is through.
  void ReportSettingsLost();

 private:
  void ReadOneEvent(bool receiver, const platform::Event& stop);
  DeviceThread& ReaderOf(bool receiver) { return receiver ? receiverReader_ : wiredReader_; }

  InterfaceRecord identity_;
  std::vector<std::atomic<uint32_t>> ledColours_;
  std::atomic<uint32_t> lightA_{0};
  std::atomic<uint32_t> lightB_{0};
  std::atomic<uint32_t> lightC_{0};
  std::atomic<uint32_t> lightD_{0};
  std::atomic<uint8_t> lightE_{0};
  std::atomic<int> lightControlEnabled_{1};
  std::atomic<uint16_t> cableVersion_{0};
  std::atomic<uint16_t> receiverVersion_{0};
  EventHandler eventHandler_;
  std::function<void()> settingsLost_;
  bool readBefore_ = false;  // UI thread
  // Jobs posted whose completion has not run (UI thread only).
  int outstanding_ = 0;

  // Stopped (in this order) before the channels go.
  platform::SerialWorker worker_;
  DeviceThread lightThread_;
  DeviceThread wiredReader_;
  DeviceThread receiverReader_;
};
