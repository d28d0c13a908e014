#include "shell/recent_files.h"

#include <QSettings>

namespace bramblel {

namespace {

constexpr char kGroup[] = "Recent File List";

QString Key(int i) { return QStringLiteral("File%1").arg(i + 1); }

}  // namespace

RecentFiles::RecentFiles() {
  QSettings settings;
  settings.beginGroup(QLatin1String(kGroup));
  for (int i = 0; i < kMaximum; ++i) {
    const QString path = settings.value(Key(i)).toString();
    if (!path.isEmpty() && !files_.contains(path)) files_.append(path);
  }
}

void RecentFiles::Add(const QString& path) {
  files_.removeAll(path);
  files_.prepend(path);
  while (files_.size() > kMaximum) files_.removeLast();
  Write();
}

void RecentFiles::Remove(const QString& path) {
  files_.removeAll(path);
  Write();
}

void RecentFiles::Write() const {
  QSettings settings;
  settings.beginGroup(QLatin1String(kGroup));
  for (int i = 0; i < kMaximum; ++i) {
    if (i < files_.size()) {
      settings.setValue(Key(i), files_[i]);
    } else {
      settings.remove(Key(i));
    }
  }
}

}  // namespace bramblel
