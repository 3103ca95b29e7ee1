// The content rules that keep the movie's file access to its own folder: the page may read
// files of its folder (its data, its images), never any other file on the machine.
#pragma once

#include <string>

namespace lobby::player {

// Rules in the web engine's content-blocker format: block every file address, then let
// addresses that start with `folderUri` (a file address ending in "/") through.
std::string FolderFilterRules(const std::string& folderUri);

}  // namespace lobby::player
