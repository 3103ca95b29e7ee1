// zemba-publish: writes the update server's tree for one version of a program.
#include <vector>

#include "platform/Arguments.h"
#include "tools/publisher/PublishCommandLine.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = platform::Utf8Arguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& a : arguments) pointers.push_back(a.c_str());
  return publisher::RunPublisher(static_cast<int>(pointers.size()), pointers.data());
}
