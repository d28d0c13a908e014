#include "shell/prompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace bramblel {

namespace {

PromptHandler& Handler() {
  static PromptHandler handler;
  return handler;
}

Answer ShowBox(Prompt prompt, const QString& text) {
  using Box = QMessageBox;
  Box::Icon icon = Box::Information;
  Box::StandardButtons buttons = Box::Ok;
  switch (prompt) {
    case Prompt::kNotice:
      break;
    case Prompt::kError:
      icon = Box::Warning;
      break;
    case Prompt::kQuestion:
      icon = Box::Question;
      buttons = Box::Yes | Box::No;
      break;
    case Prompt::kSaveChanges:
    case Prompt::kSaveOver:
      icon = Box::Warning;
      buttons = Box::Yes | Box::No | Box::Cancel;
      break;
  }
  Box box(icon, QApplication::applicationDisplayName(), text, buttons,
          QApplication::activeWindow());
  if (prompt == Prompt::kSaveOver) {
    // Saving over a file loses what it holds: the safe choice comes first.
    box.button(Box::Yes)->setText(QApplication::translate("prompts", "&Save Over It"));
    box.button(Box::No)->setText(QApplication::translate("prompts", "Save &As..."));
    box.setDefaultButton(Box::No);
  }
  // Texts come from files and pages: never read them as markup.
  box.setTextFormat(Qt::PlainText);
  // A question in the middle of a long engine call shows the plain pointer.
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int answer = box.exec();
  if (busy) QApplication::restoreOverrideCursor();
  switch (answer) {
    case Box::Yes:
      return Answer::kYes;
    case Box::No:
      return Answer::kNo;
    case Box::Cancel:
      return Answer::kCancel;
    default:
      return Answer::kOk;
  }
}

}  // namespace

Answer Ask(Prompt prompt, const QString& text) {
  if (Handler()) return Handler()(prompt, text);
  return ShowBox(prompt, text);
}

void SetPromptHandler(PromptHandler handler) { Handler() = std::move(handler); }

CollectErrors::CollectErrors() : outer_(Handler()) {
  Handler() = [this](Prompt prompt, const QString& text) {
    if (prompt == Prompt::kError) {
      errors.append(text);
      return Answer::kOk;
    }
    return outer_ ? outer_(prompt, text) : ShowBox(prompt, text);
  };
}

CollectErrors::~CollectErrors() { Handler() = std::move(outer_); }

}  // namespace bramblel
