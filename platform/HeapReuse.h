// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program works in bursts on large texts: a settings file of many lines, a long advanced list, the cfg files
// built from them. Memory freed after one burst is kept for the next, up to tens of megabytes, instead of going back
// to the system and being faulted in again a page at a time. Called once, at the start of the program.
void KeepFreedMemoryForReuse();
