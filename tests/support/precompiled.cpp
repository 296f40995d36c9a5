// The test programs share the precompiled header built with this empty file.
