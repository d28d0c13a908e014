#include "shell/document.h"

#include <QDir>
#include <QFileInfo>

namespace bramblel {

QString ProjectSavePath(const QString& path) {
  const qsizetype dot = path.lastIndexOf('.');
  if (dot >= 0 && path.mid(dot).compare(QLatin1String(".bpj"), Qt::CaseInsensitive) == 0) {
    return path;
  }
  return path + QLatin1String(".bpj");
}

ScriptItem* SiteMapItem(Project* project) {
  if (project == nullptr || project->ItemCount < 1) return nullptr;
  ScriptItem& first = project->Items[0];
  return first.Kind == VELLUM_KIND_SSITEMAP ? &first : nullptr;
}

ScriptItem* EnsureSiteMapItem(Project* project) {
  if (project == nullptr) return nullptr;
  if (ScriptItem* item = SiteMapItem(project)) return item;
  for (int32_t left = project->ItemCount; left > 0; --left) {
    int32_t first = 0;
    HTMLprjDelete(&first);
  }
  const SiteMapParams params = VellumNewSiteMapParams();
  const AddRequest request{0, VELLUM_KIND_SSITEMAP, &params, VELLUM_NEW_SITE_MAP_FLAGS};
  HTMLprjAdd(&request);
  return SiteMapItem(project);
}

QString Document::UntitledName() { return QStringLiteral("Untitled"); }

void Document::New() {
  Reset(HTMLprjClose(0));
  path_.clear();
  modified_ = true;
}

void Document::Open(const QString& path) {
  // The path is made absolute before the current folder moves under it.
  const QFileInfo file(path);
  const QString absolute = file.absoluteFilePath();
  QDir::setCurrent(file.absolutePath());
  Reset(HTMLprjOpen(QFile::encodeName(absolute).constData()));
  path_ = absolute;
  modified_ = false;
}

bool Document::Save(const QString& path) {
  const QString target = QFileInfo(ProjectSavePath(path)).absoluteFilePath();
  if (HTMLprjSave(QFile::encodeName(target).constData()) == nullptr) return false;
  path_ = target;
  modified_ = false;
  return true;
}

QString Document::DisplayName() const { return path_.isEmpty() ? UntitledName() : path_; }

void Document::Reset(Project* project) {
  project_ = project;
  EnsureSiteMapItem(project_);
}

}  // namespace bramblel
