// The browsers' data as the clearing core's sources: one object that owns a
// source per area, over every profile of every browser family found. Where
// the browser module is not built yet, it holds none, and the areas clear
// the system's own legacy stores alone.
#pragma once

#include <memory>

#include "core/stores.h"
#include "platform/file_layer.h"

namespace browsers {

class BrowserStores {
 public:
  // files gives the overwrite sessions of the sources that overwrite.
  explicit BrowserStores(platform::FileLayer& files);
  ~BrowserStores();
  BrowserStores(const BrowserStores&) = delete;
  BrowserStores& operator=(const BrowserStores&) = delete;

  core::Stores stores();

 private:
  struct Sources;
  std::unique_ptr<Sources> sources_;
};

}  // namespace browsers
