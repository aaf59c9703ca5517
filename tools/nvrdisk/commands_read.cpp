// `nvrdisk cat` and `nvrdisk dump`: a file's bytes to stdout, a file or drive to a local file.
#include <unistd.h>

#include <iostream>

#include "command_error.h"
#include "commands.h"
#include "file_copy.h"
#include "format.h"
#include "progress_bar.h"

namespace nvrdisk {

void catFile(const std::string& rname) {
    const ReadSource source = openSource(rname);
    ProgressBar noProgress(source.length, false);
    copyToDescriptor(source, STDOUT_FILENO, noProgress);
}

void dumpToFile(const std::string& rname, const std::string& outputPath) {
    const ReadSource source = openSource(rname);
    OutputFile output(outputPath);
    ProgressBar progress(source.length, isatty(STDERR_FILENO) == 1);
    const uint64_t copied = copyToDescriptor(source, output.descriptor(), progress);
    output.finish(outputPath);
    std::cout << "Wrote " << copied << " bytes (" << humanSize(copied) << ") of " << rname << " to " << outputPath
              << "\n";
}

}  // namespace nvrdisk
