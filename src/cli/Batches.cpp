#include "cli/Batches.hpp"

#include "model/Batches.hpp"

namespace tavix::cli {

RenamePlan planBatches(std::vector<Location> files, const std::vector<RenameRule>& rules,
                       const Arguments& args) {
    return Batches::plan(std::move(files), rules,
                         {.keepExtension = args.keepExtension,
                          .perFolder = args.perFolder,
                          .dates = args.dateSource});
}

}  // namespace tavix::cli
