// SPDX-License-Identifier: MIT
#pragma once

// Keeps a console window open until the user has seen the answer: waits for
// one key press, read without echo, when standard input and standard output
// are both an interactive console or terminal and the program is in its
// foreground. Returns at once otherwise, so that scripts, pipelines and
// background jobs never hang. The console is left as it was found.
void WaitForKeyPress() noexcept;
