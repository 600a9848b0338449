#pragma once

// Registers the icons compiled into this library; safe to call more than once.
void InitTorvaneResources();
