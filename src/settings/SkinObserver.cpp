#include "settings/SkinObserver.h"

#include <algorithm>

ReceiverImpl::~ReceiverImpl() {
  // A copy: leaving changes the list.
  const std::vector<ObserverImpl*> observers = observers_;
  for (ObserverImpl* observer : observers)
    observer->RemoveReceiver(this);
}

ObserverImpl& ObserverImpl::Instance() {
  static ObserverImpl* instance = new ObserverImpl;
  return *instance;
}

void ObserverImpl::AddReceiver(ReceiverImpl* receiver) {
  if (receiver == nullptr || std::find(receivers_.begin(), receivers_.end(), receiver) != receivers_.end())
    return;
  receivers_.push_back(receiver);
  receiver->observers_.push_back(this);
}

void ObserverImpl::RemoveReceiver(ReceiverImpl* receiver) {
  receivers_.erase(std::remove(receivers_.begin(), receivers_.end(), receiver), receivers_.end());
  auto& observers = receiver->observers_;
  observers.erase(std::remove(observers.begin(), observers.end(), this), observers.end());
}

void ObserverImpl::Broadcast(SkinChangedParam param) {
  // A receiver may leave while it is told: each is looked up afresh.
  const std::vector<ReceiverImpl*> receivers = receivers_;
  for (ReceiverImpl* receiver : receivers)
    if (std::find(receivers_.begin(), receivers_.end(), receiver) != receivers_.end())
      receiver->Receive(param);
}
