#include "shell/commands/OptionalMessages.h"

#include "platform/runtime/Exception.h"

const TOptionalMessage OptionalMessages[OptionalMessageCount] = {
    // 0
    {"Le fichier \"%s\" est en cours d'utilisation par une autre application. Faire une copie ?",
     0x009},
    // 1
    {"Voulez-vous revenir à la copie originale de \"%s\" ?",
     0x003},
    // 2
    {"Le document \"%s\" contient des éléments de mise en forme qui seront perdus si le fichier est enregistré sous le format \"%s\".%s||||Appuyez sur \"Oui\" pour enregistrer ce document au format \"%s\".||Appuyez sur \"Non\" pour choisir un autre format de document.",
     0x003},
    // 3
    {"Le document \"%s\" a été modifié par une autre application. L'enregistrement de ce document dans Eldravin annulera toutes les modifications introduites par l'autre application. Enregistrer le document malgré tout ?",
     0x00B},
    // 4
    {"Eldravin a trouvé des copies de secours de documents (%d). Voulez-vous récupérer ces documents ?",
     0x003},
    // 5
    {"Votre dossier de sauvegarde a atteint sa taille limite. Vous pouvez soit supprimer certaines des sauvegardes les plus anciennes, soit augmenter la taille du dossier de sauvegarde actuel.||||Cliquez sur \"Oui\" si vous voulez qu'Eldravin supprime automatiquement une partie des sauvegardes les plus anciennes.||||Cliquez sur \"Non\" si vous voulez augmenter la taille de votre dossier de sauvegarde.||||Cliquez sur \"Annuler\" si vous voulez revoir les options de sauvegarde, ou bien supprimer des fichiers de sauvegarde manuellement.",
     0x00B},
    // 6
    {"Le document \"%s\" a changé. Voulez-vous enregistrer les modifications ?",
     0x00B},
    // 7
    {"Vous êtes sur le point de modifier la mise en page d'une ou de plusieurs sections se terminant par des sauts de section de type \"continu\". De telles suites de sections sont toujours affichées avec une mise en page commune. Si vous modifiez la mise en page de l'une des sections de cette séquence, cela affectera la totalité des sections concernées.||||Appuyez sur \"Oui\" pour appliquer la nouvelle mise en page à la présente suite continue de sections (%d sections seront affectées).||||Appuyez sur \"Non\" pour séparer la ou les section(s) sélectionnée(s) par des sauts de section de type \"page suivante\" (les autres sections ne seront pas affectées par cette nouvelle mise en page).||||Appuyez sur \"Annuler\" pour revenir à la fenêtre de dialogue \"Mise en page\".",
     0x00B},
    // 8
    {"Eldravin a détecté d'éventuels problèmes concernant le format de page spécifié pour ce document. Pour imprimer les documents en mode recto verso, Eldravin a besoin de connaître la taille exacte des feuilles de papier se trouvant dans le bac d'alimentation de l'imprimante.||||Si le format de page du document et le format des feuilles de papier utilisées est le même, veuillez cliquer sur \"Ignorer\".||||Si le format de page du document et le format des feuilles de papier utilisées n'est pas le même, veuillez cliquer sur \"Non\". Vous devrez alors indiquer quelle est la taille exacte des feuilles de papier se trouvant dans le bac d'alimentation de l'imprimante.",
     0x042},
    // 9
    {"Le style \"%s\" ne se trouve pas dans la liste des styles du document. Voulez-vous l'y ajouter en utilisant les caractéristiques de mise en forme du texte sélectionné ?",
     0x003},
    // 10
    {"La police \"%s\" est absente de la liste des polices installées. Voulez-vous utiliser cette police quand même ?",
     0x048},
    // 11
    {"Eldravin a placé un élément de grande taille dans le Presse-papiers. Voulez-vous laisser cet élément à la disposition d'autres applications ?",
     0x00B},
    // 12
    {"Le Presse-papiers contient des fragments de document crypté. Voulez-vous laisser ces éléments à la disposition d'autres applications ?",
     0x00B},
    // 13
    {"Vous venez de créer une enveloppe à destination de :||||%s||||Cette adresse est absente de vos carnets d'adresses. Voulez-vous l'ajouter à l'un de vos carnets d'adresses ?",
     0x003},
    // 14
    {"Vérification terminée pour la sélection courante. Voulez-vous qu'Eldravin procède à la vérification du reste du document ?",
     0x003},
    // 15
    {"Ouverture de %s||||Certains fichiers peuvent contenir des virus ou bien provoquer des dégâts ||sur votre PC. Assurez-vous que ce fichier provient d'une source fiable.||||Voulez-vous toujours ouvrir ce fichier ?",
     0x003},
    // 16
    {"Eldravin est en train de supprimer une table des matières.||||Voulez-vous que les signets correspondants soient eux aussi supprimés ?",
     0x003},
    // 17
    {"Le Pique-notes contient des éléments. Désirez-vous enregistrer son contenu dans un fichier ?",
     0x00B},
    // 18
    {"Une ou plusieurs enveloppes sont associées au document actif. Voulez-vous imprimer cette ou ces enveloppes ?",
     0x003},
    // 19
    {"Eldravin a atteint la fin du document.||Voulez-vous reprendre la recherche à partir du début du document ?",
     0x003},
    // 20
    {"Voulez-vous supprimer cet en-tête ou pied de page et utiliser en remplacement celui de la section précédente ?",
     0x003},
    // 21
    {"Êtes-vous sûr(e) de vouloir supprimer la ou les adresses sélectionnées ?",
     0x003},
    // 22
    {"Voulez-vous vraiment supprimer l'insert \"%s\" ?",
     0x003},
    // 23
    {"Une ou plusieurs marges ont été définies en dehors de la zone imprimable de l'imprimante par défaut.||||Si vous cliquez sur \"Oui\", Eldravin rétablira des valeurs minimales pour ces marges, et vous ramènera à la boîte de dialogue \"Mise en page\".||||Si vous cliquez sur \"Non\", Eldravin gardera les valeurs de marge actuelles, et la boîte de dialogue \"Mise en page\" sera fermée.||||Si vous cliquez sur \"Annuler\", Eldravin n'effectuera aucun changement et vous ramènera à la boîte de dialogue \"Mise en page\".",
     0x00B},
    // 24
    {"Les marges de la section %d ont été définies en dehors de la zone imprimable de votre imprimante. Des fragments de votre document pourraient bien ne pas s'imprimer correctement si vous l'imprimez tel quel.||||Cliquez sur \"Oui\" si vous voulez qu'Eldravin imprime votre document avec mise à l'échelle afin qu'il ne soit pas tronqué à l'impression. Notez que texte et graphismes s'imprimeront avec une taille légèrement plus petite.||||Cliquez sur \"Non\" si vous voulez imprimer votre document tel quel malgré tout. N'oubliez pas que certaines portions de votre document pourraient bien ne pas s'imprimer correctement.||||Cliquez sur \"Annuler\" si vous voulez abandonner l'impression et ajuster les marges de votre document manuellement.",
     0x00B},
    // 25
    {"Une ou plusieurs marges de page de votre document sont trop petites pour vos options actuelles d'impression. Des fragments de votre document pourraient bien ne pas s'imprimer correctement si vous l'imprimez tel quel avec les options d'impression actuelles.||||Cliquez sur \"Oui\" si vous voulez qu'Eldravin imprime le contenu de votre document avec mise à l'échelle supplémentaire afin qu'il ne soit pas tronqué à l'impression. Notez que texte et graphismes s'imprimeront avec une taille légèrement plus petite.||||Cliquez sur \"Non\" si vous voulez imprimer votre document tel quel malgré tout. N'oubliez pas que certaines portions de votre document pourraient bien ne pas s'imprimer correctement.||||Cliquez sur \"Annuler\" si vous voulez abandonner l'impression et ajuster les marges de votre document manuellement.",
     0x00B},
    // 26
    {"Le module d'Eldravin pour la coupe de mots n'est pas installé. Veuillez utiliser le fichier d'installation d'Eldravin pour installer le module de coupe de mots.",
     0x004},
    // 27
    {"Désolé, mais le module d'Eldravin pour la coupe de mots ne prend pas encore en charge le \"%s\".",
     0x004},
    // 28
    {"La coupe de mots manuelle ne peut pas être lancée en même temps que la coupe de mots automatique. La coupe de mots automatique sera désactivée pour ce document si vous choisissez de lancer la coupe de mots manuelle.||||Cliquez \"Oui\" si vous voulez toujours lancer la coupe de mots manuelle.||||Cliquez \"Non\" si vous voulez retourner à la boîte de dialogue de coupe de mots.",
     0x003},
    // 29
    {"Eldravin a fini de vérifier la sélection actuelle. Voulez-vous vérifier l'orthographe du reste de cet en-tête ou de ce pied de page ?",
     0x003},
    // 30
    {"Eldravin a fini de vérifier le corps de ce document. Voulez-vous vérifier l'orthographe des en-têtes et pieds de page maintenant ?",
     0x003},
    // 31
    {"Eldravin a fini de vérifier l'en-tête ou le pied de page actif. Voulez-vous vérifier l'orthographe des autres en-têtes et pieds de page maintenant ?",
     0x003},
};

const char* const OptionalAnswerCaptions[OptionalAnswerCount] = {
    "&Oui", "&Non", "OK", "Annuler", "A&bandonner", "&Réessayer", "I&gnorer", "To&ut", "Non à &tout", "Ou&i à tout",
    "&Aide",
};

namespace {

constexpr int32_t kAnswerResults[OptionalAnswerCount] = {
    mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll, mrYesToAll, 0,
};
constexpr TMsgDlgButtons kAnswerButtons[OptionalAnswerCount] = {
    mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp,
};

void CheckId(uint8_t id)
{
    if (id >= OptionalMessageCount)
        throw EInternalError("Message facultatif inconnu : " + std::to_string(id));
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

int32_t OptionalAnswerResult(int answer)
{
    return answer >= 0 && answer < OptionalAnswerCount ? kAnswerResults[answer] : 0;
}

TMsgDlgButtons OptionalAnswerButton(int answer)
{
    return answer >= 0 && answer < OptionalAnswerCount ? kAnswerButtons[answer] : 0;
}

TMsgDlgButtons OptionalMsgButtons(uint8_t id)
{
    CheckId(id);
    TMsgDlgButtons buttons = 0;
    for (int answer = 0; answer < OptionalAnswerCount; ++answer)
        if (OptionalMessages[id].Answers & (1u << answer))
            buttons |= kAnswerButtons[answer];
    return buttons;
}

bool OptionalMsgSilenced(const std::vector<uint8_t>& answers, uint8_t id)
{
    if (id >= answers.size() || id >= OptionalMessageCount || (answers[id] & 0x80) == 0)
        return false;
    // A stored answer the message does not offer (a damaged or hand-edited
    // setting) is never taken: the caller could not tell what it means.
    const int answer = answers[id] & 0x7F;
    return answer < OptionalAnswerCount && (OptionalMessages[id].Answers & (1u << answer)) != 0;
}

int32_t OptionalMsgStoredResult(const std::vector<uint8_t>& answers, uint8_t id)
{
    CheckId(id);
    if (!OptionalMsgSilenced(answers, id))
        return 0;
    return OptionalAnswerResult(answers[id] & 0x7F);
}

bool OptionalMsgPresetAnswer(const std::vector<uint8_t>& answers, const TMessageRequest& request, int32_t& result)
{
    if (request.Preset == NoMessagePreset || !OptionalMsgSilenced(answers, request.Preset))
        return false;
    result = OptionalMsgStoredResult(answers, request.Preset);
    return true;
}

std::string OptionalMsgDisplayText(uint8_t id, bool lineBreaks)
{
    CheckId(id);
    std::string text = ReplaceAll(OptionalMessages[id].Text, "||", lineBreaks ? "\n" : " ");
    text = ReplaceAll(text, "%s", "###");
    return ReplaceAll(text, "%d", "#");
}
