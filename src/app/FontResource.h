#pragma once

#include <QString>

// One private font of the program, from its "Font/" folder. A font that
// cannot be read or used is skipped; nothing depends on it.
class FontResource {
 public:
  FontResource();
  ~FontResource();
  FontResource(const FontResource&) = delete;
  FontResource& operator=(const FontResource&) = delete;

  // `relativePath` below the program folder, e.g. "Font/Strayne-Regular.otf".
  bool Load(const QString& relativePath);
  bool IsLoaded() const { return id_ >= 0; }
  QString Path() const { return path_; }

 private:
  QString directory_;
  QString path_;
  int id_ = -1;
};
