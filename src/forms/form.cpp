#include "forms/form.h"

namespace forms {

void Form::setMousePointer(int pointer) {
  mousePointer_ = pointer;
  changed();
}

void Form::userClose() {
  if (onCloseRequest_) onCloseRequest_();
}

}  // namespace forms
