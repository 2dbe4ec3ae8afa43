#pragma once

#include <QString>

// Where one kind of device keeps its files: the user's folder of the kind
// (profiles, the profile list, macros, the lighting configuration) and the
// product's templates in the program's DefaultData folder.
class DeviceFiles {
 public:
  // `kindName`: "keyboard", "mouse", "MousePad", "HD"; `lightConfigName`:
  // the kind's lighting configuration ("" when it has none). The user's
  // folder is created when missing.
  DeviceFiles(const QString& kindName, const QString& lightConfigName);

  QString Folder() const { return folder_; }
  // The product's template profile of the kind.
  QString DefaultProfilePath() const;
  // The profile file of `id`; empty unless the id is a plain file name.
  QString ProfilePath(const QString& id) const;
  // The kind's lighting configuration in the user's folder, copied from the
  // product's when missing. A link in its place is set aside, never
  // followed. Empty when the kind has none.
  QString LightConfigPath() const;
  QString File(const QString& name) const { return folder_ + name; }

 private:
  QString kindName_;
  QString lightConfigName_;
  QString folder_;
};
