// How a long clearing tells its progress: steps done of the total, now and
// then, on the thread that runs it.
#pragma once

#include <cstdint>
#include <functional>

namespace core {

using Progress = std::function<void(std::int64_t done, std::int64_t total)>;

}  // namespace core
