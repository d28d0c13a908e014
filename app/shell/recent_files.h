// The most recently used project files, newest first, kept in the user's
// settings.
#ifndef BRAMBLEL_SHELL_RECENT_FILES_H
#define BRAMBLEL_SHELL_RECENT_FILES_H

#include <QStringList>

namespace bramblel {

class RecentFiles {
 public:
  static constexpr int kMaximum = 4;

  RecentFiles();
  const QStringList& Files() const { return files_; }
  // Puts path first, once.
  void Add(const QString& path);
  void Remove(const QString& path);

 private:
  void Write() const;

  QStringList files_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_SHELL_RECENT_FILES_H
