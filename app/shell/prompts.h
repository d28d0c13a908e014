// The message boxes of the window program, in one place so that tests can
// answer them: engine errors and questions, notices and the save prompt.
#ifndef BRAMBLEL_SHELL_PROMPTS_H
#define BRAMBLEL_SHELL_PROMPTS_H

#include <QString>
#include <QStringList>
#include <functional>

namespace bramblel {

enum class Prompt {
  kNotice,       // OK
  kError,        // OK, with a warning sign
  kQuestion,     // Yes, No
  kSaveChanges,  // Yes, No, Cancel
  kSaveOver,     // Save (yes), Save As (no), Cancel
};

enum class Answer { kOk, kYes, kNo, kCancel };

// Shows text as a message box of the kind asked and returns the answer.
Answer Ask(Prompt prompt, const QString& text);

// Replaces the message boxes (a null handler brings them back). For tests.
using PromptHandler = std::function<Answer(Prompt, const QString&)>;
void SetPromptHandler(PromptHandler handler);

// While it lives, error messages are kept in errors instead of shown, so
// that a long run can tell them all at its end; questions are still asked.
class CollectErrors {
 public:
  CollectErrors();
  ~CollectErrors();
  CollectErrors(const CollectErrors&) = delete;
  CollectErrors& operator=(const CollectErrors&) = delete;

  QStringList errors;

 private:
  PromptHandler outer_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_SHELL_PROMPTS_H
