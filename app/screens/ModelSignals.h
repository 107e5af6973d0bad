#pragma once

#include <functional>

class QObject;

namespace ovalon {

class AppModel;

// Calls `refresh` whenever what the selected test's screens show may have changed: its
// document, the selection within it or of another test, the list of tests, or a
// background job starting or ending. Edits to other tests don't call it.
void followSelectedTest(AppModel &model, QObject *receiver, const std::function<void()> &refresh);

} // namespace ovalon
