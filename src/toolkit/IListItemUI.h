#pragma once

namespace toolkit {

class IListOwnerUI;

// What a list keeps of each of its rows: who owns it, and whether it is
// drawn selected.
class IListItemUI {
 public:
  virtual ~IListItemUI() = default;
  virtual void SetOwner(IListOwnerUI* owner) = 0;
  // Marks the row selected (drawing only); the owner keeps the selection.
  virtual void SetSelectedState(bool selected) = 0;
  // The skin asked for the row to start selected.
  virtual bool WantsSelected() const { return false; }
};

}  // namespace toolkit
