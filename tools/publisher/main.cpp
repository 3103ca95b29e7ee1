// zemba-publish: writes the update server's tree for one version of a program.
#include "tools/publisher/PublishCommandLine.h"

int main(int argc, char** argv) { return publisher::RunPublisher(argc, argv); }
