#include "form/output_doc.h"

namespace velquin::form {

void OutputDoc::reset() {
  text_.reset();
  times_.reset(text_, now());
  finder_.reset();
  if (onText) onText();
}

void OutputDoc::appended() {
  text_.appended();
  times_.appended(text_, now());
  finder_.appended();
  if (onText) onText();
}

void OutputDoc::setMarks(bool on) {
  if (marks_ == on) return;
  marks_ = on;
  show(false);
}

void OutputDoc::setShowTimes(bool on) {
  if (showTimes_ == on) return;
  showTimes_ = on;
  show(false);
}

void OutputDoc::selectFound(size_t begin, size_t end) {
  text_.select(begin, end);
  show(true);
}

}  // namespace velquin::form
