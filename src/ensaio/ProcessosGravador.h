#pragma once

#include "platform/Erro.h"
#include "platform/Processos.h"

#include <functional>
#include <vector>

namespace talvero {

// Processes of a test: records what would have been started or ended.
class ProcessosGravador : public Processos {
public:
    struct Inicio {
        QString programa;
        QStringList argumentos;
    };

    std::int64_t iniciaSemEsperar(const QString& programa, const QStringList& argumentos) override;
    void abreNaAreaDeTrabalho(const QString& caminho) override {
        abertos.push_back(caminho);
        if (falhaAoIniciar) throw Erro(QStringLiteral("Aplicativo inexistente"), 53);
    }
    void encerraImediatamente(int codigo) override {
        ++encerramentos;
        encerrado = true;
        codigoSaida = codigo;
        if (aoEncerrar) aoEncerrar();
    }
    bool outraInstanciaAtiva() override { return outraInstancia; }

    std::vector<Inicio> iniciados; // also the starts that failed
    std::vector<QString> abertos;  // opened with the desktop, also when that failed
    bool falhaAoIniciar = false;   // starts raise "Arquivo não encontrado"
    bool encerrado = false;
    int encerramentos = 0;
    int codigoSaida = -1;
    bool outraInstancia = false;
    std::int64_t proximoPid = 1000;
    // Lets a test stop the caller dead, as the real end of the process would.
    std::function<void()> aoEncerrar;
};

} // namespace talvero
