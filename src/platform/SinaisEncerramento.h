#pragma once

#include <functional>

namespace talvero {

// Turns SIGTERM and SIGINT into a call on the event loop's thread, so that a
// service manager's stop runs the same shutdown as the window's close box.
void aoReceberSinalDeEncerramento(std::function<void()> acao);

// A file that reaches the process's size limit must fail its write, which the
// caller handles, instead of killing the agent.
void ignoraLimiteDeTamanhoDeArquivo();

} // namespace talvero
