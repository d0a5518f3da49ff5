#pragma once

#include "VersaoProduto.h"

#include <QString>

// Fixed places and names of the installation. They are the program's own
// Windows paths; the path map translates them when the file system is touched.
namespace talvero::instalacao {

inline const QString kVersao = QStringLiteral(TALVERO_VERSAO); // VERSION
inline const QString kTituloJanela = QStringLiteral("Talvero Automação");
inline const QString kPastaPrograma = QStringLiteral("C:\\Talvero\\AutoTalvero\\");
inline const QString kArquivoIni = QStringLiteral("C:\\Talvero\\AutoTalvero\\AutoTalvero.INI");
inline const QString kBancoPadrao = QStringLiteral("C:\\Talvero\\AutoTalvero\\Talvero.db");
inline const QString kArquivoTrava = QStringLiteral("C:\\Talvero\\AutoTalvero\\AutoTalvero.lock");
inline const QString kBibliotecaConcentrador =
    QStringLiteral("c:\\Talvero\\AutoTalvero\\concentrador.dll");
inline const QString kArquivoEntrega = QStringLiteral("C:\\Talvero\\AutoTalvero\\AUTO.TMP");
// The running agent's state for monitoring (talvero-dados situacao reads it).
inline const QString kArquivoSituacao =
    QStringLiteral("C:\\Talvero\\AutoTalvero\\AutoTalvero.situacao");
inline const QString kProgramaEncerrante =
    QStringLiteral("C:\\Talvero\\AutoTalvero\\AutoTalveroEncerrante.exe");
inline const QString kCadastroZorp = QStringLiteral("C:\\vb5\\zorp\\zorp_cadastro.ini");

} // namespace talvero::instalacao
