#pragma once
// The validator's suites; each records its checks in the report.

#include "Host.h"
#include "Options.h"
#include "Report.h"

// 1: create/close cycles, many instances alive at once, a host that answers version 0.
void runLifecycleSuite(const PluginLibrary& library, const Options& options, Report& report);
// 2: random dispatcher calls with guarded pointer arguments.
void runOpcodeFuzzSuite(const PluginLibrary& library, const Options& options, Report& report);
// 3: absurd parameter values interleaved with processing.
void runParameterFuzzSuite(const PluginLibrary& library, const Options& options, Report& report);
// 4: odd block sizes, rates, pointers and signals.
void runProcessingSuite(const PluginLibrary& library, const Options& options, Report& report);
// 5: processing on one thread while another automates, switches programs and changes the rate.
void runThreadSuite(const PluginLibrary& library, const Options& options, Report& report);
// 6: no allocation and no lock inside the processing entries.
void runRealtimeSuite(const PluginLibrary& library, const Options& options, Report& report);
// 7: the editor opened, idled and closed in every order hosts use.
void runEditorSuite(const PluginLibrary& library, const Options& options, Report& report);

// Helpers shared by the suites.
// Processes `blocks` blocks of fresh material through the effect; true when every output
// sample of the last block is finite.
bool settlesFinite(Effect& effect, AudioBlock& block, uint64_t seed, int blocks = 2);
// Suspend, resume, then one block of silence: true when every output is exactly zero.
bool silentAfterReset(Effect& effect, AudioBlock& block);
