#include "tools/cli/CliOptions.h"

CliOptions &CliOptions::current()
{
    static CliOptions options;
    return options;
}
