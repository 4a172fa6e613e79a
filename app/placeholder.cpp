// Filled by the window sources.
