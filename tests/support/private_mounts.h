// Mounting in a test without touching the machine's own mount table.
#pragma once

#include <functional>
#include <string>

namespace testsupport {

// Runs body in a child process with a mount namespace of its own, where "/"
// propagates nothing: whatever body mounts is seen by nobody else and goes
// with the child. Failures that body records fail the calling test. False,
// with whyNot, when no such namespace can be made here (not root, no
// namespaces): the test should then skip with that reason.
bool inPrivateMountNamespace(const std::function<void()>& body, std::string& whyNot);

}  // namespace testsupport
