// Random cards for the end-to-end tests: nested folders and files with names of every kind, MP3
// files with and without a tag title, display-name files. The same seed gives the same card.
#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

struct RandomCard {
  int model;
  int titleRule;
  std::map<std::string, std::string> files;  // path below the root, content
  std::set<std::string> folders;
};

// The card of seed: its model (4, 6, 8, 10 or 12), title rule, folders and files (UTF-8 paths below
// the root, '/' separated, each file's content unique to it).
RandomCard MakeRandomCard(uint32_t seed);

std::string RandomPick(std::mt19937& rng, const std::vector<std::string>& from);
int RandomBetween(std::mt19937& rng, int low, int high);
