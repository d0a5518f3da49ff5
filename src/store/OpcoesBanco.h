#pragma once

#include "platform/MapaCaminhos.h"
#include "platform/SistemaArquivos.h"
#include "support/Instalacao.h"

#include <QString>

namespace talvero {

// Where the station database lives. Read from section [BANCO DE DADOS] of the
// agent's INI file:
//   Driver   = SQLITE (default) | POSTGRESQL
//   Arquivo  = SQLite file as a Windows path (default C:\Talvero\AutoTalvero\Talvero.db),
//              or elsewhere than on Windows an absolute path of the system
//              ("/srv/posto/Talvero.db")
//   Servidor, Porta (default 5432), Banco, Usuario = the PostgreSQL server
//   Esquema  = PostgreSQL schema (optional; default the server's search path)
// The password never comes from the INI file: PostgreSQL's own password file,
// service file or environment (PGPASSWORD, PGSERVICE) supply it.
struct OpcoesBanco {
    enum class Driver { SQLite, PostgreSQL };

    Driver driver = Driver::SQLite;
    QString arquivo; // local path of the SQLite file (":memory:" allowed)
    QString servidor;
    int porta = 5432;
    QString banco;
    QString usuario;
    QString esquema;
    // Not from the INI: another station's database, reached by talvero-dados with libpq
    // options of its own ("sslmode=require;passfile=..."), whose schema is read as it
    // stands, never created there.
    QString opcoesConexao;
    bool semEsquema = false;
    QString erroConfiguracao; // a value the INI file got wrong; Conecta reports it

    static OpcoesBanco sqlite(const QString& arquivoLocal);
    static OpcoesBanco doIni(const SistemaArquivos& arquivos, const MapaCaminhos& caminhos,
                             const QString& arquivoIni = instalacao::kArquivoIni);

    // For messages: "SQLite /caminho" or "PostgreSQL usuario@servidor:porta/banco".
    QString destino() const;
};

} // namespace talvero
