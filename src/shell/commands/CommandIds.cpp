#include "shell/commands/CommandIds.h"

TCommandBlock CommandBlockOf(TCommandId id)
{
    if (id >= 100 && id < 3000)
        return TCommandBlock::File;
    if (id >= 3000 && id < 6000)
        return TCommandBlock::Edit;
    if (id >= 6000 && id < 9000)
        return TCommandBlock::View;
    if (id >= 9000 && id < 12000)
        return TCommandBlock::Paragraph;
    if (id >= 12000 && id < 15000)
        return TCommandBlock::Character;
    if (id >= 15000 && id < 18000)
        return TCommandBlock::Document;
    if (id >= 90000 && id < 93000)
        return TCommandBlock::Window;
    if (id >= 100000 && id < 103000)
        return TCommandBlock::Help;
    if (id >= 200000 && id < 224000)
        return TCommandBlock::ToolControl;
    return TCommandBlock::None;
}

// Rows in display order. 6263 ends every row but the last, which holds the
// placeholders of the generated lists; the "Format" row fills all 83 slots.
const TCommandId CommandCategories[CommandCategoryCount][CommandCategorySlots] = {
    // 0: "Fichier" (36)
    {100, 105, 1000, 1001, 1002, 1004, 1005, 1006, 120, 122, 123, 1260, 1270, 125, 140, 160, 180, 200,
     205, 220, 202, 225, 230, 235, 240, 260, 265, 290, 12310, 280, 300, 305, 320, 325, 360, 6263},
    // 1: "Edition" (56)
    {3840, 3860, 3880, 3900, 3420, 3340, 3360, 3380, 3400, 12020, 12040, 9020, 9040, 3200, 3220, 3240,
     3260, 3280, 3300, 3320, 3640, 3641, 3645, 3646, 3647, 3648, 4500, 4510, 4511, 3440, 3445, 3460,
     3480, 3485, 5250, 3500, 3510, 3511, 3920, 3925, 3930, 3931, 3940, 3960, 3680, 3700, 3720, 3740,
     3760, 3780, 3785, 3800, 3805, 3810, 3820, 6263},
    // 2: "Affichage" (35)
    {6000, 6020, 6060, 6065, 6080, 6081, 6140, 6350, 206100, 6172, 6173, 6170, 6171, 6174, 703, 7000,
     701, 750, 6400, 6450, 7200, 7300, 7340, 7350, 7400, 7401, 4140, 4160, 4180, 4200, 4220, 6160, 6195,
     6196, 6263},
    // 3: "Insertion" (41)
    {3580, 3000, 3001, 3002, 3003, 3007, 3008, 3009, 3010, 3011, 3012, 3014, 3015, 3016, 3017, 3018,
     3019, 3020, 3021, 3022, 3080, 3081, 3082, 3083, 3540, 3560, 3570, 3571, 3630, 5000, 3600, 3620,
     5100, 5105, 4520, 4540, 4580, 4600, 15750, 15700, 6263},
    // 4: "Format" (83)
    {12000, 209050, 212100, 12100, 212200, 12120, 12140, 12160, 12161, 12162, 12163, 12164, 12167, 12165,
     12166, 12168, 12260, 12280, 12300, 212400, 12150, 12180, 12200, 12170, 12171, 12285, 12210, 12215,
     704, 705, 212300, 12320, 12220, 12240, 12340, 12360, 12380, 12400, 12060, 12080, 12085, 12090, 9060,
     9000, 9080, 9081, 9082, 9083, 9180, 9200, 9220, 9120, 9100, 9170, 9140, 9160, 702, 9260, 9240, 9243,
     9246, 9250, 9251, 9255, 9256, 9270, 9271, 9272, 9280, 9300, 9310, 9320, 3980, 4000, 4020, 4025,
     4030, 4060, 12440, 12445, 15600, 15500, 6263},
    // 5: "Outils" (18)
    {600, 800, 850, 860, 870, 875, 4100, 4120, 635, 642, 6220, 641, 640, 643, 650, 660, 1200, 6263},
    // 6: "Fenêtre et Aide" (27)
    {90000, 90020, 90040, 90060, 90080, 90100, 90105, 90106, 90107, 90108, 90109, 90110, 90111, 90112,
     90113, 90120, 90140, 100000, 100020, 100060, 100070, 100090, 101100, 101210, 101120, 101220, 6263},
    // 7: "Commandes de menu spéciales" (5)
    {1300, 1250, 6030, 6095, 90300},
};

const char* const CommandCategoryNames[CommandCategoryCount + 1] = {
    "Fichier", "Edition", "Affichage", "Insertion", "Format", "Outils", "Fenêtre et Aide",
    "Commandes de menu spéciales", "Toutes les commandes",
};

const TCommandName CommandNames[CommandNameCount] = {
    {3440, "APPENDTOCLIPPYBANK"},
    {12120, "BOLD"},
    {101120, "BROWSEURL"},
    {9320, "BULLET"},
    {4120, "CALCULATE"},
    {3980, "CAPS"},
    {90000, "CASCADE"},
    {9081, "CENTEREDALIGN"},
    {3460, "CLEARCLIPPYBANK"},
    {160, "CLOSEALLDOCS"},
    {140, "CLOSEDOC"},
    {12340, "COMPRESSTEXT"},
    {3340, "COPY"},
    {12020, "COPYFONTFORMAT"},
    {9020, "COPYPARFORMAT"},
    {3420, "CUT"},
    {3445, "CUTTOCLIPPYBANK"},
    {9120, "DECREASELEFTINDENT"},
    {9160, "DECREASEOUTDENT"},
    {12320, "DEFORMATFONT"},
    {9260, "DEFORMATPAR"},
    {3200, "DELETE"},
    {600, "DOCSTATISTICS"},
    {701, "EASYHAND"},
    {320, "EMAILALLDOCS"},
    {300, "EMAILDOC"},
    {360, "EXIT"},
    {12360, "EXPANDTEXT"},
    {3640, "FIND"},
    {3645, "FINDNEXT"},
    {705, "FONTCOLOR"},
    {12000, "FONTFORMAT"},
    {702, "FORMATBYTEMPLATE"},
    {12240, "GROWFONTSIZE"},
    {100000, "HELPCONTENTS"},
    {7000, "HIDEALL"},
    {704, "HIGHLIGHT"},
    {4100, "HOTCALCIDENTLIST"},
    {9100, "INCREASELEFTINDENT"},
    {9140, "INCREASEOUTDENT"},
    {3620, "INSERTFILE"},
    {3600, "INSERTPICTURE"},
    {3580, "INSERTSYMBOL"},
    {4020, "INVERTCAPITALS"},
    {12140, "ITALIC"},
    {3920, "JOINPARS"},
    {9083, "JUSTIFIEDALIGN"},
    {3960, "KEYLAYOUT"},
    {9080, "LEFTALIGN"},
    {9180, "LINESPACING1"},
    {9200, "LINESPACING15"},
    {9220, "LINESPACING2"},
    {703, "MAGNIFYINGGLASS"},
    {90060, "MINIMIZEALL"},
    {100, "NEWDOC"},
    {12400, "OFFSETDOWN"},
    {12380, "OFFSETUP"},
    {120, "OPENDOC"},
    {6020, "PAGEMARGINBORDERS"},
    {260, "PAGESETTINGS"},
    {9000, "PARFORMAT"},
    {3360, "PASTE"},
    {3380, "PASTEASPLAINTEXT"},
    {3480, "PASTECLIPPYBANK"},
    {12040, "PASTEFONTFORMAT"},
    {9040, "PASTEPARFORMAT"},
    {290, "PREVIEW"},
    {280, "PRINTDOC"},
    {3540, "QUICKDATE"},
    {3940, "QUICKKEYLAYOUT"},
    {3560, "QUICKTIME"},
    {3860, "REDO"},
    {3900, "REDOALL"},
    {3646, "REPLACENEXT"},
    {9082, "RIGHTALIGN"},
    {6060, "RULER"},
    {220, "SAVEALLDOCS"},
    {180, "SAVEDOC"},
    {200, "SAVEDOCAS"},
    {3700, "SAVEPICTURE"},
    {3680, "SAVESELECTION"},
    {4226, "SCROLLPAGEDOWN"},
    {4225, "SCROLLPAGEUP"},
    {640, "SETTINGS"},
    {12220, "SHRINKFONTSIZE"},
    {12310, "SHRINKPAGECOUNT"},
    {4000, "SMALL"},
    {3930, "SORT_AZ"},
    {3931, "SORT_ZA"},
    {9243, "SPACEAFTER"},
    {9240, "SPACEBEFORE"},
    {9246, "SPACEBEFOREAFTER"},
    {6000, "SPECIALSYMBOLS"},
    {800, "SPELLCHECK"},
    {3925, "SPLITPARS"},
    {12170, "STRIKETHROUGH"},
    {12200, "SUBSCRIPT"},
    {12180, "SUPERSCRIPT"},
    {6263, "SWITCHTOOLBARCOMMANDSET"},
    {9280, "TABS"},
    {90020, "TILEHOR"},
    {90040, "TILEVER"},
    {12160, "UNDERLINE"},
    {3840, "UNDO"},
    {3880, "UNDOALL"},
    {90080, "UNDOMINIMIZEALL"},
    {6400, "VIEWCLIPPYBANK"},
    {6174, "ZOOM100"},
    {6170, "ZOOMPAGEWIDTH"},
    {6171, "ZOOMTEXTWIDTH"},
    {6173, "ZOOMTWOPAGES"},
    {6172, "ZOOMWHOLEPAGE"},
};

// Oldest first; the version numbers ascend through the table.
const TNewCommand NewCommandTable[NewCommandCount] = {
    {3630, 10102011, 0},
    {5000, 10102011, 0},
    {12210, 10102013, 0},
    {12215, 10102013, 0},
    {12161, 10102014, 0},
    {12162, 10102014, 0},
    {12171, 10102014, 0},
    {12163, 10102015, 0},
    {12164, 10102015, 0},
    {12165, 10102015, 0},
    {12166, 10102015, 0},
    {12167, 10102015, 0},
    {12168, 10102015, 0},
    {7200, 10102016, 0},
    {212400, 10102017, 0},
    {3570, 10102019, 0},
    {3571, 10102019, 0},
    {12150, 10102020, 0},
    {15700, 10102021, 0},
    {235, 10102021, 0},
    {123, 10500003, 0},
    {125, 10500003, 0},
    {240, 10500003, 0},
    {305, 10500003, 0},
    {3641, 10500003, 0},
    {860, 10500003, 0},
    {641, 10500003, 0},
    {660, 10500003, 0},
    {4580, 10500003, 0},
    {100070, 10500003, 0},
    {3500, 10500003, 0},
    {12285, 10500003, 0},
    {1200, 10500003, 0},
    {265, 10500004, 0},
    {5100, 10500006, 0},
    {5105, 10501001, 0},
    {1260, 10501001, 0},
    {635, 10501002, 0},
    {6450, 10501006, 0},
    {5250, 10501007, 0},
    {870, 10502003, 860},
    {875, 10502004, 0},
};
