// The Map page with large trees: showing a site map of 100,000 nodes, and
// the commands (each an undoable step) on a node among 10,000 siblings. Runs
// on Qt's offscreen platform with the page shown, so the view's own work
// counts.
//
//   QT_QPA_PLATFORM=offscreen ./build-bench/IDE/map_page_bench
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <functional>
#include <string>

#include "core/map_item_list.h"
#include "pages/map_model.h"
#include "pages/map_page.h"
#include "pages/map_tree.h"
#include "vellum/vellum.h"

namespace {

using bramblel::MapPage;
namespace core = vellum::core;

// A tree of count nodes, ten children to a branch, filled level by level.
void BuildLevels(MapItemList& root, int count) {
  std::vector<MapItemList*> level{&root};
  int made = 0;
  while (made < count) {
    std::vector<MapItemList*> next;
    for (MapItemList* list : level) {
      for (int i = 0; i < 10 && made < count; ++i, ++made) {
        const std::string name = "Page " + std::to_string(made);
        core::Append(*list, ("page" + std::to_string(made) + ".html").c_str(), name.c_str());
      }
      // Taken once the list is whole: appending moves its entries.
      for (int i = 0; i < list->Count; ++i) next.push_back(&list->Items[i].Children);
    }
    level = std::move(next);
  }
}

double Milliseconds(const std::function<void()>& work, int times = 1) {
  QElapsedTimer clock;
  clock.start();
  for (int i = 0; i < times; ++i) work();
  QApplication::processEvents();
  return clock.nsecsElapsed() / 1e6 / times;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ScriptItem item{};
  MapPage page;
  page.resize(600, 800);
  page.show();

  BuildLevels(item.Entries, 100000);
  std::printf("fill 100,000 nodes (10 a branch): %.1f ms\n",
              Milliseconds([&] { page.Fill(&item); }));
  core::Clear(item.Entries);

  for (int i = 0; i < 10000; ++i) {
    core::Append(item.Entries, "p.html", ("Page " + std::to_string(i)).c_str());
  }
  std::printf("fill 10,000 siblings: %.1f ms\n", Milliseconds([&] { page.Fill(&item); }));
  const auto at = [&page](int index) {
    page.Tree()->setCurrentIndex(page.Model()->index(index, 0));
  };
  const struct {
    const char* name;
    int index;
    std::function<void()> command;
  } commands[] = {
      {"move up, middle of 10,000", 5000, [&] { page.MoveUp(); }},
      {"move down, middle of 10,000", 5000, [&] { page.MoveDown(); }},
      {"move up, last of 10,000", 9999, [&] { page.MoveUp(); }},
      {"move lower then higher, last", 9999,
       [&] {
         page.MoveLower();
         page.MoveHigher();
       }},
      {"add after the middle", 5000, [&] { page.Add(); }},
      {"remove the middle", 5000, [&] { page.Remove(); }},
  };
  for (const auto& command : commands) {
    at(command.index);
    std::printf("%s: %.3f ms a command\n", command.name, Milliseconds(command.command, 100));
  }
  std::printf("expand all of 100,000 nodes: %.1f ms\n", [&] {
    core::Clear(item.Entries);
    BuildLevels(item.Entries, 100000);
    page.Fill(&item);
    return Milliseconds([&] { page.Tree()->expandAll(); });
  }());
  page.Fill(nullptr);
  page.UndoStack()->clear();
  core::Clear(item.Entries);
  return 0;
}
