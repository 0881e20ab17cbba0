#pragma once

// Each tool defines run_tool; io/ gives each platform's entry point, which hands it the
// command line's words in UTF-8, the encoding of every name the tools take.
int run_tool(int argc, char* argv[]);
