#pragma once

// Keeps a console window open until the user has seen the answer: waits for
// one key press, read without echo, when standard input is an interactive
// console or terminal, and returns at once otherwise, so that scripts and
// pipelines never hang. The console is left as it was found.
void WaitForKeyPress() noexcept;
