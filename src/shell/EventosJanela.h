#pragma once

namespace talvero {

// What the window MenuAutomacao reports to the program: the operator's clicks on
// its controls and menus, and its own events.
class EventosJanela {
public:
    virtual ~EventosJanela() = default;

    virtual void Form_Resize() = 0;
    // Click and double-click on the window's surface, outside its controls.
    virtual void Form_Click() = 0;
    virtual void Form_DblClick() = 0;
    // Mouse movement over the surface; `botao` 1 is the left button alone.
    virtual void Form_MouseMove(int botao) = 0;
    // The close box or the platform's shutdown; never refused.
    virtual void Form_QueryUnload() = 0;

    virtual void cmdLeituraIdentificador_Click() = 0;
    virtual void cmdMinimizar_Click() = 0;
    virtual void cmdFechar_Click() = 0;
    virtual void cmdBlocoNotas_Click() = 0;
    virtual void cmdExplorer_Click() = 0;
    virtual void mnuVersaoEquipamento_Click() = 0;
    virtual void mnuIncluiCartao_Click() = 0;
    virtual void mnuExcluiCartao_Click() = 0;
    virtual void mnuLerCartao_Click() = 0;
    virtual void mnuPesquisaPosicaoCartao_Click() = 0;
};

} // namespace talvero
