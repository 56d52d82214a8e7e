// The object the test executables' precompiled headers are made with.
