// Site map generation, behind HTMLGSiteMap: the page (or pages) of the tree
// in the chosen output type, then the files the page needs beside it.
#pragma once

#include <cstdint>
#include <vector>

#include "generate/page_writer.h"
#include "vellum/vellum.h"

namespace vellum::generate {

// Writes the site map of *params.Items (an absent list is an empty one) with
// params' settings and the GenerateFlags flags, copies its resources beside
// it, and once every file is whole puts them all in place and registers
// them (see OutputFiles); after a failure none is. Returns 1; failures are
// reported through the callbacks.
int GenerateSiteMap(const SiteMapParams& params, uint32_t flags);

// Every item of the tree that has a URL, each before its children, sorted by
// name byte by byte (upper case before lower case; equal names keep tree
// order).
std::vector<IndexEntry> IndexEntries(const MapItemList& root);

}  // namespace vellum::generate
