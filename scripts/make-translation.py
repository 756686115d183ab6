#!/usr/bin/env python3
"""Writes resources/vorlix_translation.ini, the translation file the program carries inside itself.

The texts live below as data (UTF-8 here) and are written out as Windows-1252 with CRLF line ends
and no line end after the last line, the form the program has always shipped. Every language
section lists its keys in the order of the German section.

Usage: scripts/make-translation.py [--check]
  --check  writes nothing; fails when the shipped file differs from what the script would write.

Texts are kept as they are known to players, odd spellings included ("standart", "efects",
"Startdistanz::", "view range high quality;", "dell?effetto"): do not correct them here.

Trailing blanks matter: many tooltips end in a lead-in such as "default: " to which the program
appends the setting's default value. The reader drops the blanks, so they never show, but the
file has always carried them and they are part of its known form (76 values end in blanks).
"""

import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
TARGET = ROOT / "resources" / "vorlix_translation.ini"

LANGUAGES = ("deutsch", "english", "italiano")

# The three start-up messages are read before any language is chosen, so each carries the German
# text, an empty line and the English text.
GENERAL = [
    ("MESSAGE_ALREADYSTARTED", "Programm wurde bereits gestartet!||Application already started!"),
    ("MESSAGE_INVALIDPATH", "Ungültiges Verzeichnis!||Invalid path!"),
    ("MESSAGE_NOINSTALLATIONFOUND",
     'Es konnte keine Draskel 3 - Installation gefunden werden!'
     '|Bitte geben Sie die "Draskel3.exe" im Spieleverzeichnis an.'
     '||No Draskel 3 - Installation found!'
     '|Please find the file "Draskel3.exe" in the game path.'),
]

# Credits values shared by every language. They name no real person or site: the addresses use
# the reserved example domains. The credits dialog opens COMMUNITY_SITE_DE when the language is
# deutsch and COMMUNITY_SITE_EN otherwise, so TEXT_LINK shows the address that is opened. The
# link buttons are narrow, so they show the addresses without the scheme and the final slash.
COMMUNITY_SITE_DE = "www.example.org/de"
COMMUNITY_SITE_EN = "www.example.org/en"
AUTHOR_SITE = "www.example.com/vorlix"
CONTACT = "vorlix@example.net"
NAME_ENGLISH = "Tobias Quellmark"
NAME_ITALIAN = "Marta Venerucci"

# The word that switches the game's test mode on from inside the game; named in the German and
# Italian test-mode tooltips.
TEST_MODE_WORD = "klovar"

# Each block: its heading per language, then (key, German, English, Italian) in German order.
# None marks a key that a language does not carry (the two Italian extras).
BLOCKS = [
    (("MELDUNGEN", "MESSAGES", "MESSAGGI"), [
        ("MESSAGE_RESTORESTARTLOGOS",
         "Sollen die Startlogos wirklich wiederhergestellt werden?",
         "Do you really want to restore the start logos?",
         "Vuoi veramente riattivare i logos iniziali?"),
        ("MESSAGE_REMOVESTARTLOGOS",
         "Sollen die Startlogos wirklich entfernt werden?",
         "Do you really want to remove the start logos?",
         "Vuoi veramente rimuovere i logos iniziali?"),
        ("MESSAGE_RESTORESETTINGS",
         "Sollen die Standardwerte wirklich geladen werden?",
         "Do you really want to restore the settings?",
         "Vuoi veramente caricare i valori standart?"),
        ("MESSAGE_LOADBACKUP",
         "Aktuelle Daten werden überschrieben!||Fortfahren?",
         "Current data will be overwritten!||Continue?",
         "Dati attuali verranno sovrascritti!||Continuare?"),
        ("MESSAGE_SETTINGSSAVED",
         "Einstellungen gespeichert!",
         "Settings saved!",
         "Impostazioni salvate!"),
        ("MESSAGE_INVALIDFILE",
         "Ungültige Datei!",
         "Invalid file!",
         "File invalido!"),
    ]),
    (("HAUPTEINSTELLUNGEN", "MAIN SETTINGS", "IMPOSTAZIONI PRINCIPALI"), [
        # Captions of the main dialog.
        ("TEXT_COMMONSETTINGS", "Allgemeine Einstellungen", "common settings",
         "Impostazioni generali"),
        ("TEXT_ADVANCEDSETTINGS", "Erweiterte Einstellungen", "advanced settings",
         "Impostazioni avanzate"),
        ("TEXT_RESOLUTION", "Auflösung:", "resolution:", "Risoluzione:"),
        ("TEXT_ASPECTRATIO", "Seitenverhältnis:", "aspect ratio:", "Rapporto dei lati:"),
        ("TEXT_VIDEOSETTINGS", "Grafikeinstellungen:", "video settings:", "Imp. grafiche:"),
        ("TEXT_VIEWRANGEHIGH", "Sichtweite hoch:", "view range high:", "Campo visivo alto:"),
        ("TEXT_VIEWRANGELOW", "Sichtweite niedrig:", "view range low:", "Campo visivo basso:"),
        ("TEXT_RESOURCECACHE", "Resource Cache:", "resource cache:", "Cache delle risorse:"),
        ("TEXT_OBJECTDETAILS", "Objektdetails:", "object details:", "Dettagli degli oggetti:"),
        ("TEXT_SHADERQUALITY", "Shaderqualität:", "shader quality:", "Qualità del shader:"),
        ("TEXT_TEXTUREQUALITY", "Texturqualität:", "texture quality:",
         "Qualità delle texturen:"),
        ("TEXT_TEXTUREFILTER", "Texturfilter:", "texture filter:", "Filtro delle texturen:"),
        ("TEXT_VEGETATIONQUALITY", "Vegetationsdichte:", "vegetation density:",
         "Densità vegetazione:"),
        # Left over from an earlier Italian version; nothing reads it.
        ("TEXT_VEGETATION", None, None, "Vegetazione:"),
        ("TEXT_SHADOWQUALITY", "Schattenqualität:", "shadow quality:", "Qualità delle Ombre:"),
        ("TEXT_POSTPROCESSING", "Spezialeffekte:", "special effects:", "Effetti speciali:"),
        ("TEXT_RISK", "Benutzung auf eigene Gefahr!", "Use of this tool is at your own risk!",
         "Uso a proprio rischio e pericolo!"),
        ("TEXT_VEGETATIONDETAILS", "Vegetationsqualität:", "vegetation quality:",
         "Qualità della vegetazione:"),
        ("TEXT_VEGETATIONVIEWRANGE", "Sichtweite Vegetation:", "view range vegetation:",
         "Campo visivo vegetazione:"),
        ("TEXT_TREESHADOWS", "Baumschatten:", "tree shadows:", "Ombre degli alberi:"),
        ("TEXT_STATICSHADOWS", "Statische Schatten:", "static shadows:", "Ombre statiche:"),
        ("TEXT_DETAILEDSHADOWS", "Detaillierte Schatten:", "detailed shadows:",
         "Ombre dettagliate:"),
        ("TEXT_PHYSICSVIEWRANGE", "Sichtweite Physik:", "view range physics:",
         "Campo visivo fisica:"),
        ("TEXT_MAXRAGDOLLS", "max. Ragdoll-Effekte:", "max ragdoll efects:",
         "max. Effetti Ragdoll:"),
        ("TEXT_ROIVIEWRANGE", "Sichtweite NPC's, Tiere, etc.:",
         "view range npc's, animals, etc.:", "Campo visivo NPC's, animali, ecc.:"),
        ("TEXT_LOWPOLYGONS", "geringe Horizont-Polygonanzahl:", "low horizontal polygons:",
         "pochi poligoni all'orizzonte:"),
        ("TEXT_MESHQUALITY", "Objektqualität:", "object quality:", "Qualità degli oggetti:"),
        ("TEXT_ANIMATIONQUALITY", "Animationsqualität:", "animation quality:",
         "Qualità delle animazioni:"),
        ("TEXT_IMAGEQUALITY", "Bildqualität:", "image quality:", "Qualità delle immagini:"),
        ("TEXT_RESTORESTARTLOGOS", "Startlogos wiederherstellen", "restore startlogos",
         "Riattivare i logos iniziali"),
        ("TEXT_REMOVESTARTLOGOS", "Startlogos entfernen", "remove startlogos",
         "Disattivare i logos iniziali"),
        ("TEXT_CACHESETTINGS", "Cache-Einstellungen...", "cache settings...",
         "Impostazioni cache..."),
        ("TEXT_OTHERSETTINGS", "sonstige Einstellungen...", "other settings...",
         "Impostazioni varie..."),
        ("TEXT_RESTORESETTINGS", "Standardwerte wiederherstellen", "restore settings",
         "Reimpostare i valori standart"),
        ("TEXT_LOADBACKUP", "BackUp laden...", "load backup...", "Caricare BackUp..."),
        ("TEXT_CREATEBACKUP", "BackUp erstellen...", "create backup...", "Creare BackUp..."),
        ("TEXT_CREDITS", "Info", "about", "Info"),
        ("TEXT_SAVESETTINGS", "Einstellungen speichern", "save settings",
         "Salvare le impostazioni"),
        ("TEXT_EXIT", "beenden", "quit", "Chiudi"),
        # Combo-box words; the item order of the lists depends on which key goes where, not on
        # the order here.
        ("TEXT_TEXTUREFILTERLINEAR", "linear", "linear", "lineare"),
        ("TEXT_TEXTUREFILTERANISOTROPIC", "anisotrop", "anisotropic", "anisotropico"),
        ("TEXT_TEXTUREFILTERANISOTROPIC4X", "anisotrop 4x", "anisotropic 4x", "anisotropico 4x"),
        ("TEXT_TEXTUREFILTERANISOTROPIC8X", "anisotrop 8x", "anisotropic 8x", "anisotropico 8x"),
        ("TEXT_TEXTUREFILTERANISOTROPIC16X", "anisotrop 16x", "anisotropic 16x",
         "anisotropico 16x"),
        ("TEXT_POSTPROCESSINGBLOOM", "Überstrahl-Effekt", "bloom effect", "Effetto irradiazione"),
        ("TEXT_POSTPROCESSINGHORIZONTALBLUR", "Tiefenunschärfe", "horizontal blur",
         "sfocatura a dist."),
        # The vocabulary words. The program maps a shown word back to the stored word by whole,
        # case-sensitive comparison, so the eight words of one language must all differ.
        ("TEXT_CUSTOMQUALITY", "angepasst", "custom", "personale"),
        ("TEXT_LOWQUALITY", "niedrig", "low", "basso"),
        ("TEXT_MEDIUMQUALITY", "mittel", "medium", "medio"),
        ("TEXT_HIGHQUALITY", "hoch", "high", "alto"),
        ("TEXT_ULTRAHIGHQUALITY", "sehr hoch", "ultra high", "molto alto"),
        ("TEXT_NORMALQUALITY", "normal", "normal", "normale"),
        ("TEXT_ENABLED", "aktiviert", "enabled", "attivato"),
        ("TEXT_DISABLED", "deaktiviert", "disabled", "disattivato"),
        # Tooltips of the main dialog. Those ending in a lead-in get the default value appended
        # by the program. The English button tooltips are empty on purpose: those buttons show
        # no tooltip in English.
        ("TOOLTIP_LANGUAGE", "Sprache dieses Tools ändern", "change the language of this tool",
         "Cambia la lingua del tool"),
        ("TOOLTIP_RESOLUTION", "Bildschirmauflösung|Standard:  ", "resolution|default: ",
         "Risoluzione dello schermo|Standart:  "),
        ("TOOLTIP_VIDEOSETTINGS",
         "Vordefinierte Einstellungen|Ändert nur die allgemeinen Einstellungen!",
         "predefined settings|only for common settings!",
         "Imp. predefinite|Modifica solo le imp. generali."),
        ("TOOLTIP_VIEWRANGEHIGH",
         'Sichtweite hohe Details|Werte können manuell in den "Sonstigen Einstellungen" '
         'geändert werden.|Standard: ',
         "view range high|default: ",
         'Campo visivo dettagli alti|Valori possono venir cambiati manualmente sotto '
         '"Impostazioni varie".|Standart: '),
        ("TOOLTIP_VIEWRANGELOW",
         'Sichtweite niedrige Details|Werte können manuell in den "Sonstigen Einstellungen" '
         'geändert werden.|Standard: ',
         "view range low|default: ",
         'Campo visivo dettagli bassi|Valori possono venir cambiati manualmente sotto '
         '"Impostazioni varie".|Standart: '),
        ("TOOLTIP_RESOURCECACHE",
         'Höhe des Resourcecaches|Werte können manuell in den "Cacheoptionen" '
         'geändert werden.|Standard: ',
         "resource cache|default: ",
         'Dimensione della cache delle risorse|Valori possono venir cambiati manualmente sotto '
         '"Impostazioni cache".|Standart: '),
        ("TOOLTIP_SHADOWQUALITY", "Darstellungsqualität der Schatten|Standard: ",
         "shadow quality|default: ", "Qualità della rappresentazione delle ombre|Standart: "),
        ("TOOLTIP_OBJECTDETAILS",
         "Anzahl von Objekten, wie z.B. Kisten, Fässer und Kerzen, die dargestellt werden."
         "|Standard: ",
         "object details|default: ", "Qualità del dettaglio degli oggetti|Standart: "),
        ("TOOLTIP_SHADERQUALITY", "Shader-Version|Standard: ", "shader quality|default: ",
         "Versione del shader|Standart: "),
        ("TOOLTIP_TEXTUREQUALITY", "Darstellungsqualität der Texturen|Standard: ",
         "texture quality|default: ",
         "Qualità della rappresentazione delle texturen|Standart: "),
        ("TOOLTIP_TEXTUREFILTER", "Filtermethode der Texturen|Standard: ",
         "texture filter|default: ", "Filtro delle texturen|Standart: "),
        ("TOOLTIP_VEGETATIONQUALITY",
         "Darstellungsdichte der Vegetation|Deaktiviert: Keine Vegetation|Standard: ",
         "vegetation density|disabled: no vegetation|default: ",
         "Densità della rappresentazione della vegetazione|Standart: "),
        # Left over from an earlier Italian version; nothing reads it.
        ("TOOLTIP_VEGETATION", None, None,
         "Rappresentazione della vegetazione|Disattivato: nessuna vegetazione|Standart: "),
        ("TOOLTIP_POSTPROCESSING", "Spezialeffekte|Standard: ", "special effects|default: ",
         "Effetti speciali|Standart: "),
        ("TOOLTIP_REMOVESTARTLOGOS",
         "Videosequenzen am Spielstart entfernen"
         "|Hinweis: Ein Logo bleibt erhalten, um Bildstörungen zu vermeiden!",
         "", "Rimuovere video introduttivo"),
        ("TOOLTIP_RESTORESTARTLOGOS", "Videosequenzen am Spielstart wiederherstellen", "",
         "Attivare video introduttivo"),
        ("TOOLTIP_VEGETATIONDETAILS", "Darstellungsqualität der Vegetation|Standard: ",
         "vegetation quality|default: ",
         "Qualità della rappresentazione della vegetazione|Standart: "),
        ("TOOLTIP_VEGETATIONVIEWRANGE", "Sichtweiteradius der Vegetation|Standard: ",
         "view range vegetation|default: ", "Raggio visivo vegetazione|Standart: "),
        ("TOOLTIP_TREESHADOWS", "Baumschatten darstellen|Standard: ", "tree shadows|default: ",
         "Attivare ombre degli alberi|Standart: "),
        ("TOOLTIP_STATICSHADOWS", "Statische Schatten darstellen|Standard: ",
         "static shadows|default: ", "Attivare ombre statiche|Standart: "),
        ("TOOLTIP_DETAILEDSHADOWS", "Schatten in hoher Qualität darstellen|Standard: ",
         "detailed shadows|default: ", "Attivare ombre di alta qualità|Standart: "),
        ("TOOLTIP_PHYSICSVIEWRANGE", "Sichtweiteradius von Physik-Berechnungen|Standard: ",
         "physics view range|default: ", "Raggio visivo calcoli fisici|Standart: "),
        ("TOOLTIP_MAXRAGDOLLS",
         'Maximale Anzahl von "RagDoll-Effekten"|z. B. Todesanimationen von NPC\'s und Tieren'
         '|Standard: ',
         "max ragdoll effects|default: ",
         'Numero massimo di animazioni "Effetti RagDoll"'
         '|p. es. Animazioni della morte di NPC\'s e animali|Standart: '),
        ("TOOLTIP_ROIVIEWRANGE", "Sichtweiteradius von von NPC's, Tieren, etc.|Standard: ",
         "view range npc's, animals, etc.|default: ",
         "Raggio visivo NPC's, Tieren, etc.|Standart: "),
        ("TOOLTIP_LOWPOLYGONS",
         "Weit entfernte Objekte mit geringer Polygonanzahl (niedrige Qualität) darstellen"
         "|Standard: ",
         "low horizontal polygons|default: ",
         "Attivare oggetti distanti con pochi poligoni (qualità bassa)|Standart: "),
        ("TOOLTIP_MESHQUALITY", "Darstellungsqualität von Objekten|Standard: ",
         "object quality|default: ", "Qualità di rappresentazione di oggetti|Standart: "),
        ("TOOLTIP_ANIMATIONQUALITY", "Darstellungsqualität von Animationen|Standard: ",
         "animation quality|default: ", "Qualità di rappresentazione di animazioni|Standart: "),
        ("TOOLTIP_IMAGEQUALITY", "Bilddarstellungsqualität|Standard: ", "image quality|default: ",
         "Qualità di rappresentazione delle immagini|Standart: "),
        ("TOOLTIP_CACHESETTINGS", "Öffnet ein Dialogfenster mit Cache-Einstellungen", "",
         'Apre una finestra con "Impostazioni cache"'),
        ("TOOLTIP_OTHERSETTINGS",
         "Öffnet ein Dialogfenster mit weiteren Einstellungsmöglichkeiten", "",
         "Apre una finestra con altre possibilità di impostazioni"),
        ("TOOLTIP_LOADBACKUP", "Eine vorhandene BackUp-Datei laden", "",
         'Caricare une file "BackUp" presente'),
        ("TOOLTIP_CREATEBACKUP", "Letzte gesicherte Konfiguration abspeichern", "",
         "Salvare ultima configurazione sicura"),
        ("TOOLTIP_SAVE", "Einstellungen sichern", "", "Salva impostazioni"),
        ("TOOLTIP_CREDITS", "Mitwirkende anzeigen", "", "Mostra collaboratori"),
    ]),
    (("CACHE-EINSTELLUNGEN", "CACHE SETTINGS", "IMPOSTAZIONI CACHE"), [
        ("TEXT_TITLECACHESETTINGS", "CACHE-EINSTELLUNGEN", "CACHE SETTINGS",
         "IMPOSTAZIONI CACHE"),
        ("TEXT_COMMON", "Allgemein", "common", "Generale"),
        ("TEXT_RESOURCECACHELOW", "Resource Cache - niedrig", "resource cache - low",
         "Cache risorse - basso"),
        ("TEXT_RESOURCECACHEMEDIUM", "Resource Cache - mittel", "resource cache - medium",
         "Cache risorse - medio"),
        ("TEXT_RESOURCECACHEHIGH", "Resource Cache - hoch", "resource Cache - high",
         "Cache risorse - alto"),
        ("TEXT_CACHEIMAGE", "Bild:", "image:", "Immagine:"),
        ("TEXT_CACHEMESH", "Objekte:", "objects:", "Oggetti:"),
        ("TEXT_CACHESOUND", "Sound:", "sound:", "Suono:"),
        ("TEXT_CACHEMATERIAL", "Material:", "material:", "Materiale:"),
        ("TEXT_CACHECOLMESH", "Koll. Objekte:", "coll. objects:", "Koll. Oggetti:"),
        ("TEXT_CACHEANIMATION", "Animationen:", "animation:", "Animazioni:"),
        ("TEXT_CACHESPEEDTREE", "Speed Tree:", "speed tree:", "Speed Tree:"),
        ("TEXT_CACHETEXTURES", "Texturen hoch:", "textures high:", "Texturen alte:"),
        ("TEXT_TOTAL", "Summe:", "total:", "Somma:"),
        ("TEXT_FINALCACHE", "Gesamtcache:", "final cache:", "Cache totale:"),
        ("TEXT_MODIFY", "ändern:", "modify:", "cambia:"),
        # The budget in bytes follows the lead-in directly.
        ("TOOLTIP_CACHEIMAGE", "Standard:", "default:", "Standart:"),
        ("TOOLTIP_CACHEMESH", "Standard:", "default:", "Standart:"),
        ("TOOLTIP_CACHESOUND", "Standard:", "default:", "Standart:"),
        ("TOOLTIP_CACHEMATERIAL", "Standard:", "default:", "Standart:"),
        ("TOOLTIP_CACHECOLMESH", "Standard:", "default:", "Standart:"),
        ("TOOLTIP_CACHEANIMATION", "Standard:", "default:", "Standart:"),
        ("TOOLTIP_CACHESPEEDTREE", "Standard:", "default:", "Standart:"),
        ("TOOLTIP_CACHETEXTURES", "Standard:", "default:", "Standart:"),
        ("TOOLTIP_FINALCACHE", "Summe + Texturecache (nur bei hoher Texturqualität)",
         "total + high texture cache",
         "Somma + Cache delle texture (solo in caso d'alta qualità delle texture)"),
        ("TOOLTIP_INCREASECACHE", "Cachewerte um den eingegebenen Prozentsatz erhöhen",
         "increase cache", "Aumentare i valori della cache della percentuale inserita"),
        ("TOOLTIP_DECREASECACHE", "Cachewerte um den eingegebenen Prozentsatz verringern",
         "decrease cache", "Abbassare i valori della cache della percentuale inserita"),
    ]),
    (("SONSTIGE EINSTELLUNGEN", "OTHER SETTINGS", "IMPOSTAZIONI VARIE"), [
        ("TEXT_TITLEOTHERSETTINGS", "SONSTIGE EINSTELLUNGEN", "OTHER SETTINGS",
         "IMPOSTAZIONI VARIE"),
        ("TEXT_WARNING", "Diese Werte sollten nur von erfahrenen Anwendern geändert werden!",
         "Use of this tool is at your own risk!",
         "Questi valori dovrebbero venir cambiati solo da utenti esperti!"),
        ("TEXT_LOWVIEWRANGE", "Sichtweite - niedrige Einstellungen", "view range - low settings",
         "Campo visivo - impostazioni basse"),
        ("TEXT_LOWVIEWRANGEOBJECTS", "Sichtweite Objekte:", "view range objects:",
         "Campo visivo oggetti:"),
        ("TEXT_LOWVIEWRANGEHIGH", "Sichtweite hohe Qualität:", "view range high quality:",
         "Campo visivo imp. alte:"),
        ("TEXT_LOWVIEWRANGELOW", "Sichtweite niedrige Qualität", "view range low quality:",
         "Campo visivo imp. basse:"),
        ("TEXT_MEDIUMVIEWRANGE", "Sichtweite - mittlere Einstellungen",
         "view range - medium settings", "Campo visivo - impostazioni medie"),
        ("TEXT_MEDIUMVIEWRANGEOBJECTS", "Sichtweite Objekte:", "view range objects:",
         "Campo visivo oggetti:"),
        ("TEXT_MEDIUMVIEWRANGEHIGH", "Sichtweite hohe Qualität:", "view range high quality:",
         "Campo visivo imp. alte:"),
        ("TEXT_MEDIUMVIEWRANGELOW", "Sichtweite niedrige Qualität", "view range low quality:",
         "Campo visivo imp. basse:"),
        ("TEXT_HIGHVIEWRANGE", "Sichtweite - hohe Einstellungen", "view range - high settings",
         "Campo visivo - impostazioni alte"),
        ("TEXT_HIGHVIEWRANGEOBJECTS", "Sichtweite Objekte:", "view range objects:",
         "Campo visivo oggetti:"),
        ("TEXT_HIGHVIEWRANGEHIGH", "Sichtweite hohe Qualität:", "view range high quality;",
         "Campo visivo imp. alte:"),
        ("TEXT_HIGHVIEWRANGELOW", "Sichtweite niedrige Qualität", "view range low quality:",
         "Campo visivo imp. basse:"),
        ("TEXT_OTHERVIEWRANGE", "Sichtweite - Sonstiges", "view range - miscellaneous",
         "Campo visivo - Varie"),
        ("TEXT_PREFETCHCELLSIZE", "Prefetch-Cell-Size:", "Prefetch-Cell-Size:",
         "Dimensione Prefetch-Cell:"),
        ("TEXT_MAXDISTTOPLAYER", "max. Kamera-Entfernung:", "max camera distance:",
         "max. Distanza telecamera:"),
        ("TEXT_BLOOMEFFECT", "Überstrahl-Effekt", "bloom effect", "Effetto irradiazione"),
        ("TEXT_HORIZONTALBLUR", "Tiefenunschärfe:", "horizontal blur:",
         "Sfocatura in profondità"),
        ("TEXT_DOFSTART", "Startdistanz::", "start distance:", "Distanza iniziale::"),
        ("TEXT_DOFEND", "Enddistanz:", "end distance:", "Distanza finale:"),
        ("TEXT_DOFPOWER", "Effektstärke in % (0 = aus):", "effect power (0 = off):",
         "Int. effetto in % (0 = spento):"),
        ("TEXT_FPS", "FPS", "FPS", "FPS"),
        ("TEXT_FPSAVERAGE", "durchschnittliche FPS:", "average FPS:", "media FPS:"),
        ("TEXT_FPSMIN", "min. FPS:", "min FPS:", "min. FPS:"),
        ("TEXT_FPSMAX", "max. FPS:", "max FPS:", "max. FPS:"),
        ("TEXT_MISCELLANEOUS", "Sonstiges", "miscellaneous", "Varie"),
        ("TEXT_PLAYERMEMORY", "Player-Memory:", "player memory:", "Player-Memory:"),
        ("TEXT_LEVELOFDETAIL", "Level-Detail-Faktor:", "level detail factor:",
         "Fattore dettagli livello:"),
        ("TEXT_TESTMODE", "Test-Modus:", "test mode:", "Test-Modus:"),
        ("TEXT_CLOSE", "schließen", "close", "chiudi"),
        ("TEXT_SAVE", "speichern", "save", "salva"),
        ("TOOLTIP_VIEWRANGEOBJECTS", "Sichtweiteradius von Objekten|Standard:",
         "view range objects|default:", "Raggio visivo oggetti|Standart:"),
        ("TOOLTIP_VIEWRANGEHIGH2", "Sichtweite hohe Qualität|Standard:",
         "view range high quality|default:", "Campo visivo impostazioni alte|Standart:"),
        ("TOOLTIP_VIEWRANGELOW2", "Sichtweite niedrige Qualität|Standard:",
         "view range low quality|default:", "Campo visivo impostazioni basse|Standart:"),
        ("TOOLTIP_PREFETCHCELLSIZE",
         "Wenn der Wert der Sichtweite manuell hochgesetzt wird, können Löcher in der "
         "Landschaft entstehen.|Ein höherer Wert behebt dieses Problem."
         "|Es wird empfohlen, den Wert mit der Sichtweite der hohen Qualität gleichzusetzen."
         "|Standard: ",
         "prefetch cell size|default: ",
         'Se il valore del campo visivo viene aumentato manualmente, si possono formare dei '
         '"buchi all\'interno dei paesaggi".|Un valore superiore elimina questo problema.'
         '|È consigliato mettere il valore uguale a quello del campo visivo a qualità alta.'
         '|Standart: '),
        ("TOOLTIP_MAXDISTTOPLAYER",
         "Ein höherer Wert ermöglicht ein weiteres herauszommen der Spielkamera|Standard:",
         "max camera distance|default:",
         "Un valore più alto permette uno zoom maggiore della telecamera del giocatore"
         "|Standart:"),
        ("TOOLTIP_DOFSTART", "Startentfernung des Überstrahl-Effekts|Standard:",
         "start distance of the bloom effect|default:",
         "Distanza iniziale dell'effetto irradiazione|Standart:"),
        ("TOOLTIP_DOFEND", "Endentfernung des Überstrahl-Effekts|Standard:",
         "end distance of the bloom effect|default:",
         "Distanza finale dell?effetto irradiazione|Standart:"),
        ("TOOLTIP_DOFPOWER",
         "Stärke des Bloom-Effekts|Das Herabsetzen des Wertes schwächt den Effekt ab."
         "|Standard:",
         "power of the bloom effect|default:",
         "Intensità dell'effetto irradiazione|La dimnuzione del valore ha come conseguenza "
         "una diminuzione dell'intensità dell'effetto .|Standart:"),
        ("TOOLTIP_FPSAVERAGE", "Durchschnittliche Anzahl an Bilder pro Sekunde|Standard:",
         "average frames per second|default:", "Media di immagini al secondo|Standart:"),
        ("TOOLTIP_FPSMIN", "Minimale Anzahl an Bilder pro Sekunde|Standard:",
         "min frames per second|default:", "Numero minimo d'immagini al secondo|Standart:"),
        ("TOOLTIP_FPSMAX", "Maximale Anzahl an Bilder pro Sekunde|Standard:",
         "max frames per second|default:", "Numero massimo d'immagini al secondo|Standart:"),
        ("TOOLTIP_LEVELOFDETAIL",
         "Darstellungsqualität von Texturen in weiter Entfernung|Für bessere Qualität, "
         'Wert erhöhen.|< 1.0 für "schwache" Systeme|> 1.0 für "HighEnd" Systeme|Standard: ',
         "level detail factor|default: ",
         "Qualità di rappresentazione delle texturen distanti|Per migliore qualità, "
         'aumentare il valore.|< 1.0 für Sistemi "deboli" |> 1.0 für Sistemi "HighEnd" '
         "|Standart: "),
        ("TOOLTIP_PLAYERMEMORY",
         "Falls der Speicherbug auftritt, diese Option aktivieren|Standard:",
         "player memory|default:",
         "In caso del bug dei salvataggi, attivare questa opzione|Standart:"),
        ("TOOLTIP_TESTMODE",
         "Schaltet den Debug- und Cheat-Modus des Spiels ein"
         f'|Im Spiel kann er auch mit dem Wort "{TEST_MODE_WORD}" eingeschaltet werden'
         '|Die Taste "^" öffnet die Konsole für die Befehle'
         "|Standard:",
         "test mode|default:",
         "Attiva la modalità debug e cheat del gioco"
         f'|Nel gioco si attiva anche digitando la parola "{TEST_MODE_WORD}"'
         '|Il tasto "^" apre la console per i comandi'
         "|Standart:"),
    ]),
    (("MITWIRKENDE", "CREDITS", "RICONOSCIMENTI"), [
        ("TEXT_VERSION", "Version 1.45", "version 1.45", "Version 1.45"),
        ("TEXT_THANKS",
         'Ein großer Dank geht an die "World of Draskel" Community für die tolle Unterstützung!',
         'Many thanks to the "World of Draskel" Community for the great support!',
         'Un grande rinraziamento va alla community di "World of Draskel", '
         'per il grande sostegno!'),
        ("TEXT_LINK", COMMUNITY_SITE_DE, COMMUNITY_SITE_EN, COMMUNITY_SITE_EN),
        ("TEXT_LINK2", AUTHOR_SITE, AUTHOR_SITE, AUTHOR_SITE),
        ("TEXT_EMAIL", "E-Mail:", "e-mail:", "e-mail:"),
        ("TEXT_CONTACT", CONTACT, CONTACT, CONTACT),
        ("TEXT_TRANSLATION", "Übersetzung", "translation", "traduzione"),
        ("TEXT_ENGLISH", "Englisch:", "english:", "inglese:"),
        ("TEXT_ITALIAN", "Italienisch:", "italian:", "italiano:"),
        ("TEXT_NAMEENGLISH", NAME_ENGLISH, NAME_ENGLISH, NAME_ENGLISH),
        ("TEXT_NAMEITALIAN", NAME_ITALIAN, NAME_ITALIAN, NAME_ITALIAN),
    ]),
]

GENERAL_HEADING = "MELDUNGEN / MESSAGES"

# Limits the program lives with.
CHILD_DIALOG_BUFFER = 256  # the start-up sequence and the child dialogs cut texts at 255 bytes
EXPECTED_KEYS = {"general": 3, "deutsch": 176, "english": 176, "italiano": 178}
EXPECTED_TRAILING_BLANKS = 76
VOCABULARY = ("TEXT_LOWQUALITY", "TEXT_MEDIUMQUALITY", "TEXT_HIGHQUALITY", "TEXT_CUSTOMQUALITY",
              "TEXT_DISABLED", "TEXT_ENABLED", "TEXT_NORMALQUALITY", "TEXT_ULTRAHIGHQUALITY")


def entries_of(language_index):
    """The (heading, [(key, value)]) blocks of one language section."""
    blocks = []
    for headings, rows in BLOCKS:
        values = [(row[0], row[1 + language_index]) for row in rows
                  if row[1 + language_index] is not None]
        blocks.append((headings[language_index], values))
    return blocks


def check_value(section, key, value):
    problems = []
    if any(c in value for c in "\r\n\0"):
        problems.append("holds a line break or NUL")
    if value != value.lstrip(" \t"):
        problems.append("starts with a blank (the reader drops it)")
    if len(value) >= 2 and value[0] == value[-1] and value[0] in "\"'":
        problems.append("is wrapped in quotes (the reader strips them)")
    if key.startswith("TEXT_") and "|" in value:
        problems.append("is a caption with a '|'")
    if len(value.encode("cp1252")) >= CHILD_DIALOG_BUFFER:
        problems.append("is longer than the dialogs' text buffers")
    return [f"[{section}] {key} {p}" for p in problems]


def build():
    problems = []
    # The file starts with its first section: every comment line of it names the block below it.
    lines = ["[general]", "; " + GENERAL_HEADING]
    counts = {"general": len(GENERAL)}
    trailing_blanks = 0
    for key, value in GENERAL:
        problems += check_value("general", key, value)
        lines.append(f"{key}={value}")

    for index, language in enumerate(LANGUAGES):
        lines += ["", f"[{language}]"]
        counts[language] = 0
        seen = set()
        for block_number, (heading, values) in enumerate(entries_of(index)):
            if block_number:
                lines.append("")
            lines.append("; " + heading)
            for key, value in values:
                if key in seen:
                    problems.append(f"[{language}] {key} twice")
                seen.add(key)
                problems += check_value(language, key, value)
                if value != value.rstrip(" "):
                    trailing_blanks += 1
                    if not key.startswith("TOOLTIP_"):
                        problems.append(f"[{language}] {key} ends in a blank but is no tooltip")
                lines.append(f"{key}={value}")
                counts[language] += 1

    for index, language in enumerate(LANGUAGES):
        words = [row[1 + index] for row in BLOCKS[1][1] if row[0] in VOCABULARY]
        if len(set(words)) != len(VOCABULARY):
            problems.append(f"[{language}] vocabulary words are not all different: {words}")

    if counts != EXPECTED_KEYS:
        problems.append(f"key counts {counts}, expected {EXPECTED_KEYS}")
    if trailing_blanks != EXPECTED_TRAILING_BLANKS:
        problems.append(f"{trailing_blanks} values end in blanks, expected "
                        f"{EXPECTED_TRAILING_BLANKS}")
    if problems:
        raise SystemExit("make-translation: " + "\n  ".join(["texts are not right:"] + problems))

    # Strict: a character Windows-1252 cannot hold is an error, not a '?'.
    return "\r\n".join(lines).encode("cp1252")


def main(argv):
    check_only = argv[1:] == ["--check"]
    if argv[1:] and not check_only:
        raise SystemExit(f"usage: {argv[0]} [--check]")
    data = build()
    if check_only:
        shipped = TARGET.read_bytes() if TARGET.exists() else None
        if shipped != data:
            raise SystemExit(f"{TARGET.relative_to(ROOT)} is not what "
                             "scripts/make-translation.py writes; run it again")
        return
    temporary = TARGET.with_suffix(".ini.tmp")
    temporary.write_bytes(data)
    temporary.replace(TARGET)
    print(f"wrote {TARGET.relative_to(ROOT)}: {len(data)} bytes")


if __name__ == "__main__":
    main(sys.argv)
