#pragma once

namespace talvero::saida {

// How the agent's process ends, so that a service manager and a script can tell
// a failure from a requested end. Normal covers the operator and a signal.
constexpr int Normal = 0;
constexpr int Configuracao = 10; // INI file missing, a key unreadable, a value refused
constexpr int BancoInacessivel = 11;
constexpr int OutraInstancia = 12; // another agent runs on this root
constexpr int ComputadorNaoAutorizado = 13;
constexpr int EnlaceNaoAbre = 14;
constexpr int SemRaiz = 15;           // no --root and no station installed
constexpr int Fecha = 20;             // "AUTOMACAO FECHA"
constexpr int LeituraEncerrante = 21; // "AUTOMACAO LEITURA ENCERRANTE"

} // namespace talvero::saida
