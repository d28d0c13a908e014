#include "shell/document.h"

#include <QDir>
#include <QFileInfo>

#include "shell/engine_link.h"
#include "shell/prompts.h"

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

Document::Document(QObject* parent) : QObject(parent) {
  connect(&undo_, &QUndoStack::cleanChanged, this, &Document::Announce);
}

QString Document::UntitledName() { return QStringLiteral("Untitled"); }

void Document::TakeEngineChanges() {
  if (project_ != nullptr && project_->Modified) SetChanged(true);
}

void Document::SetChanged(bool changed) {
  changed_ = changed;
  Announce();
}

void Document::Announce() {
  if (modified() == announced_) return;
  announced_ = modified();
  emit ModifiedChanged(announced_);
}

void Document::New() {
  Reset(HTMLprjClose(0));
  path_.clear();
  undo_.clear();
  SetChanged(true);
  faults_.clear();
  unread_ = false;
}

void Document::Open(const QString& path) {
  // The path is made absolute before the current folder moves under it.
  const QFileInfo file(path);
  const QString absolute = file.absoluteFilePath();
  QDir::setCurrent(file.absolutePath());
  faults_.clear();
  {
    CollectErrors errors;
    RecordInfo info;
    Reset(HTMLprjOpen(QFile::encodeName(absolute).constData()));
    EndInfoLine();
    faults_ = errors.errors;
    // A fault of the file itself stops the reading at its line; any other
    // word (a source page that is gone) is no loss.
    for (const QString& line : info.lines) {
      if (line.contains(QLatin1String("' - bad profect (line "))) faults_.append(line);
    }
  }
  path_ = absolute;
  undo_.clear();
  SetChanged(false);
  unread_ = !faults_.isEmpty() && QFileInfo::exists(absolute);
}

bool Document::Save(const QString& path) {
  const QString target = QFileInfo(ProjectSavePath(path)).absoluteFilePath();
  failure_.clear();
  CollectErrors errors;
  ForgetEngineFailure();
  if (HTMLprjSave(QFile::encodeName(target).constData()) == nullptr) {
    failure_ = errors.errors.join('\n');
    const QString reason = EngineFailureReason();
    if (!reason.isEmpty()) failure_ += QStringLiteral(" (%1)").arg(reason);
    return false;
  }
  path_ = target;
  undo_.setClean();
  SetChanged(false);
  unread_ = false;
  return true;
}

bool Document::WouldReplaceUnread(const QString& path) const {
  if (!unread_) return false;
  const QFileInfo target(ProjectSavePath(path));
  const QFileInfo unread(path_);
  return target.exists() && (target.absoluteFilePath() == path_ ||
                             target.canonicalFilePath() == unread.canonicalFilePath());
}

QString Document::DisplayName() const { return path_.isEmpty() ? UntitledName() : path_; }

void Document::Reset(Project* project) {
  project_ = project;
  EnsureSiteMapItem(project_);
}

}  // namespace bramblel
