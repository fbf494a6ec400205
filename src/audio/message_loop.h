#pragma once

// Makes the process's application object when it has none, so that a command-line program can
// run the message loop the sound components post to.
void EnsureMessageLoop();
