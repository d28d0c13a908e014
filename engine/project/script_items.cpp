// The project's script list: inserting, storing, removing and moving items.
#include <utility>

#include "core/map_item_list.h"
#include "core/memory.h"
#include "core/owned.h"
#include "project/file_format.h"
#include "project/project.h"
#include "project/records.h"

namespace vellum::project {
namespace {

template <typename T>
bool CopyNumber(T& member, T value) {
  if (member == value) return false;
  member = value;
  return true;
}

// The settings of a site map: texts by the update rule, numbers as they are.
// True when a number changed.
bool StoreSettings(Project& project, SiteMapSettings& to, const SiteMapSettings& from) {
  const auto to_texts = SiteMapTexts(to);
  const auto from_texts = SiteMapTexts(const_cast<SiteMapSettings&>(from));  // only read
  for (std::size_t i = 0; i < to_texts.size(); ++i) {
    UpdateText(project, *to_texts[i], *from_texts[i]);
  }
  bool changed = CopyNumber(to.Mode, from.Mode);
  changed |= CopyNumber(to.OutputType, from.OutputType);
  changed |= CopyNumber(to.FontSize, from.FontSize);
  changed |= CopyNumber(to.FontStyle, from.FontStyle);
  changed |= CopyNumber(to.TopListType, from.TopListType);
  changed |= CopyNumber(to.SubListType, from.SubListType);
  changed |= CopyNumber(to.TableBorder, from.TableBorder);
  return changed;
}

}  // namespace

void ReleaseItem(ScriptItem& item) {
  core::ReleaseText(item.Name);
  const ItemSlots slots = SlotsOf(item);
  for (int i = 0; i < slots.text_count; ++i) core::ReleaseText(*slots.texts[i]);
  core::Clear(item.Entries);
}

ScriptItem* InsertItem(Project& project, int position) {
  project.Modified = 1;
  return InsertAt(project.Items, project.ItemCount, position, ReleaseItem);
}

int AddItem(Project& project, const AddRequest& request) {
  if (request.Position < 0 || request.Position > project.ItemCount || !IsScriptKind(request.Kind)) {
    return 1;
  }
  // Filled before it joins the list: the parameters may point into the
  // list (another item's tree), which growing it moves.
  ScriptItem item{};
  item.Kind = static_cast<uint8_t>(request.Kind);
  item.Flags = request.Flags;
  if (request.Params != nullptr) StoreItem(project, item, *request.Params);

  ScriptItem* place = InsertItem(project, request.Position);
  if (place == nullptr) {
    ReleaseItem(item);
    return 0;
  }
  *place = item;
  return 1;
}

void StoreItem(Project& project, ScriptItem& item, const SiteMapParams& params) {
  UpdateText(project, item.Name, params.BasePath);
  // Other kinds have no members in a SiteMapParams beyond the name.
  if (!IsSiteMapKind(item.Kind)) return;
  // A changed number or tree marks the project modified as a changed text
  // does, so that closing asks to save it.
  if (StoreSettings(project, item.Body.SiteMap, params.Settings)) project.Modified = 1;

  if (item.Kind == VELLUM_KIND_SSITEMAP && params.Items != nullptr &&
      params.Items != &item.Entries) {
    // Copied aside first: the source may be a branch of the item's own tree.
    core::Owned<MapItemList> copy;
    core::Copy(params.Items, *copy);
    core::Clear(item.Entries);
    item.Entries = copy.Release();
    project.Modified = 1;
  }
}

void StoreItemAndFlags(Project& project, ScriptItem& item, const SiteMapParams& params,
                       uint32_t flags) {
  StoreItem(project, item, params);
  if (item.Flags == flags) return;
  item.Flags = flags;
  project.Modified = 1;
}

void DeleteItem(Project& project, int index) {
  if (index < 0 || index >= project.ItemCount) return;
  project.Modified = 1;
  ReleaseItem(project.Items[index]);
  EraseAt(project.Items, project.ItemCount, index);
}

void MoveItemUp(Project& project, int32_t& index) {
  if (index < 1 || index >= project.ItemCount) return;
  std::swap(project.Items[index - 1], project.Items[index]);
  project.Modified = 1;
  --index;
}

void MoveItemDown(Project& project, int32_t& index) {
  if (index < 0 || index >= project.ItemCount - 1) return;
  std::swap(project.Items[index], project.Items[index + 1]);
  project.Modified = 1;
  ++index;
}

}  // namespace vellum::project
