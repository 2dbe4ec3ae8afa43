#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// A background chosen in the skin chooser.
struct SkinChangedParam {
  bool IsColour = false;
  uint32_t Colour = 0;  // ARGB; read when IsColour
  QString Image;        // a path in the skin folder or a file's full path; read when !IsColour
};

class ObserverImpl;

// A window that follows the chosen background. It leaves every observer it
// joined when it goes.
class ReceiverImpl {
 public:
  virtual ~ReceiverImpl();
  virtual bool Receive(const SkinChangedParam& param) = 0;

 private:
  friend class ObserverImpl;
  std::vector<ObserverImpl*> observers_;
};

// The process-wide skin observer: made on first use, never destroyed; hands
// every broadcast to each receiver. UI thread only.
class ObserverImpl {
 public:
  static ObserverImpl& Instance();
  void AddReceiver(ReceiverImpl* receiver);
  void RemoveReceiver(ReceiverImpl* receiver);
  void Broadcast(SkinChangedParam param);
  size_t ReceiverCount() const { return receivers_.size(); }

 private:
  ObserverImpl() = default;
  std::vector<ReceiverImpl*> receivers_;
};
