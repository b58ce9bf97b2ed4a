// Commands: the verbs of the refhost program. Each takes the words after the verb, prints its
// results on standard output and its problems on standard error, and returns the exit status
// (0 success, 1 the work failed, 2 a usage error).
#pragma once

#include <string>
#include <vector>

namespace RefHost {

using TWords = std::vector<std::string>;

// import --db FILE --log KEY ADIF...
int RunImport(const TWords& words);
// export --db FILE --log KEY OUT.adi
int RunExport(const TWords& words);
// query --db FILE "SELECT ..."
int RunQuery(const TWords& words);
// verify --db FILE --log KEY --operator CALL --login L --password P [...]
int RunVerify(const TWords& words, const std::string& programDir);
// gui --db FILE --log KEY [...]
int RunGui(const TWords& words, const std::string& programDir);

} // namespace RefHost
