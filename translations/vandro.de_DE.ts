<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CardPanel</name>
    <message>
        <source>unmount disk</source>
        <translation>Karte ausbinden</translation>
    </message>
    <message>
        <source>mount disk</source>
        <translation>Karte einbinden</translation>
    </message>
    <message>
        <source>mount flashdisk</source>
        <translation>Karte einbinden</translation>
    </message>
    <message>
        <source>the picture folder is not on the card</source>
        <translation>der Bilderordner liegt nicht auf der Karte</translation>
    </message>
    <message>
        <source>unmount flashdisk</source>
        <translation>Karte ausbinden</translation>
    </message>
    <message>
        <source>statfs call</source>
        <translation>Aufruf statfs</translation>
    </message>
    <message>
        <source>no card found</source>
        <translation>keine Karte gefunden</translation>
    </message>
    <message>
        <source>no success</source>
        <translation>kein Erfolg</translation>
    </message>
    <message>
        <source>device or mount point is longer than %1 characters</source>
        <translation>Gerät oder Einhängepunkt ist länger als %1 Zeichen</translation>
    </message>
    <message>
        <source>list pictures</source>
        <translation>Bilder auflisten</translation>
    </message>
    <message>
        <source>The card holds more folders than this program may open at once: nothing is listed.</source>
        <translation>Die Karte enthält mehr Ordner, als dieses Programm auf einmal öffnen kann: nichts wird aufgelistet.</translation>
    </message>
</context>
<context>
    <name>CfgDlg</name>
    <message>
        <source>Configuration</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>confirms the changes and closes the form</source>
        <translation>übernimmt die Änderungen und schließt das Formular</translation>
    </message>
    <message>
        <source>OKButton</source>
        <translation>OK-Knopf</translation>
    </message>
    <message>
        <source>cancels the changes and closes the form</source>
        <translation>verwirft die Änderungen und schließt das Formular</translation>
    </message>
    <message>
        <source>CancelButton</source>
        <translation>Abbrechen-Knopf</translation>
    </message>
    <message>
        <source>clear the content line</source>
        <translation>leert die Eingabezeile</translation>
    </message>
    <message>
        <source>ClearButton</source>
        <translation>Leeren-Knopf</translation>
    </message>
    <message>
        <source>EditorLine for selected entries</source>
        <translation>Eingabezeile für den gewählten Eintrag</translation>
    </message>
    <message>
        <source>EditLine</source>
        <translation>Eingabezeile</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Fileselector Button</source>
        <translation>Knopf zur Dateiauswahl</translation>
    </message>
    <message>
        <source>item</source>
        <translation>Eintrag</translation>
    </message>
    <message>
        <source>content</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>select an item to edit</source>
        <translation>einen Eintrag zum Bearbeiten wählen</translation>
    </message>
    <message>
        <source>ListView with TipData</source>
        <translation>Liste der Einstellungen</translation>
    </message>
</context>
<context>
    <name>CommandJobs</name>
    <message>
        <source>mount flashdisk</source>
        <translation>Karte einbinden</translation>
    </message>
    <message>
        <source>The card is gone: the command may not have finished.</source>
        <translation>Die Karte ist fort: der Befehl ist vielleicht nicht zu Ende gekommen.</translation>
    </message>
</context>
<context>
    <name>CopyCommand</name>
    <message>
        <source>no success</source>
        <translation>kein Erfolg</translation>
    </message>
    <message>
        <source>copy file</source>
        <translation>Datei kopieren</translation>
    </message>
    <message>
        <source>source and destination are the same file,
nothing copied</source>
        <translation>Quelle und Ziel sind dieselbe Datei,
nichts kopiert</translation>
    </message>
    <message>
        <source>destination file exists!
overwrite ?</source>
        <translation>Die Zieldatei existiert schon!
Überschreiben?</translation>
    </message>
    <message>
        <source>The destination directory
%1
is missing or cannot be read.
Nothing was copied.</source>
        <translation>Das Zielverzeichnis
%1
fehlt oder ist nicht lesbar.
Nichts wurde kopiert.</translation>
    </message>
    <message>
        <source>the picture changed while it was copied</source>
        <translation>das Bild hat sich beim Kopieren geändert</translation>
    </message>
    <message>
        <source>%1 of the %2 pictures have the same name as a different picture in the destination.
keep both ?</source>
        <translation>%1 der %2 Bilder heißen wie ein anderes Bild im Ziel.
Beide behalten?</translation>
    </message>
    <message numerus="yes">
        <source>%n picture(s) could not be copied and were left out:</source>
        <translation>
            <numerusform>%n Bild konnte nicht kopiert werden und wurde ausgelassen:</numerusform>
            <numerusform>%n Bilder konnten nicht kopiert werden und wurden ausgelassen:</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: the copy in the destination differs from the card.</source>
        <translation>%1: die Kopie im Ziel weicht von der Karte ab.</translation>
    </message>
    <message>
        <source>The destination is inside the source folder.</source>
        <translation>Das Ziel liegt im Quellordner.</translation>
    </message>
    <message>
        <source>copy files</source>
        <translation>Dateien kopieren</translation>
    </message>
</context>
<context>
    <name>DeleteCommand</name>
    <message>
        <source>no success</source>
        <translation>kein Erfolg</translation>
    </message>
    <message>
        <source>You try to delete all files in the left dir
Are you sure ?</source>
        <translation>Sie wollen alle Bilder im linken Ordner löschen.
Sind Sie sicher?</translation>
    </message>
    <message>
        <source>delete all files</source>
        <translation>alle Bilder löschen</translation>
    </message>
    <message>
        <source>really ?</source>
        <translation>wirklich?</translation>
    </message>
    <message>
        <source>delete file</source>
        <translation>Datei löschen</translation>
    </message>
    <message>
        <source>Proven only</source>
        <translation>Nur belegte</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>The card reported an error: some pictures may not have been deleted.</source>
        <translation>Die Karte meldete einen Fehler: manche Bilder wurden vielleicht nicht gelöscht.</translation>
    </message>
    <message numerus="yes">
        <source>%n of them have no proven copy in the destination !</source>
        <translation>
            <numerusform>%n davon hat keine belegte Kopie im Ziel !</numerusform>
            <numerusform>%n davon haben keine belegte Kopie im Ziel !</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n picture(s) changed since their copy and were kept.</source>
        <translation>
            <numerusform>%n Bild hat sich seit seiner Kopie geändert und wurde behalten.</numerusform>
            <numerusform>%n Bilder haben sich seit ihrer Kopie geändert und wurden behalten.</numerusform>
        </translation>
    </message>
    <message>
        <source>
 path is 
</source>
        <translation>
 Verzeichnis ist 
</translation>
    </message>
</context>
<context>
    <name>FullPicDlg</name>
    <message>
        <source>FullScreen</source>
        <translation>Vollbild</translation>
    </message>
</context>
<context>
    <name>KwQtFileDlg</name>
    <message>
        <source>FileDlg</source>
        <translation>Dateiauswahl</translation>
    </message>
    <message>
        <source>file type filter</source>
        <translation>Filter für Dateitypen</translation>
    </message>
    <message>
        <source>ComboBox FileTypeFilter

edit or select the filter</source>
        <translation>Auswahl Dateityp-Filter

Filter eingeben oder wählen</translation>
    </message>
    <message>
        <source>confirms the selection and closes the form</source>
        <translation>übernimmt die Auswahl und schließt das Formular</translation>
    </message>
    <message>
        <source>OKButton</source>
        <translation>OK-Knopf</translation>
    </message>
    <message>
        <source>cancels the selection and closes the form</source>
        <translation>verwirft die Auswahl und schließt das Formular</translation>
    </message>
    <message>
        <source>CancelButton</source>
        <translation>Abbrechen-Knopf</translation>
    </message>
    <message>
        <source>shows the selected filename</source>
        <translation>zeigt den gewählten Dateinamen</translation>
    </message>
    <message>
        <source>Filename LineEdit

shows the selected file
and allows the direct filename
edit</source>
        <translation>Eingabe Dateiname

zeigt die gewählte Datei
und erlaubt, den Namen
direkt einzugeben</translation>
    </message>
    <message>
        <source>creates a directory with the given name</source>
        <translation>legt ein Verzeichnis mit dem angegebenen Namen an</translation>
    </message>
    <message>
        <source>MkDirButton

creates a directory with the name
from the filename field
in the current directory</source>
        <translation>Knopf Verzeichnis anlegen

legt ein Verzeichnis mit dem Namen
aus dem Feld Dateiname
im aktuellen Verzeichnis an</translation>
    </message>
    <message>
        <source>ComboBox Directory 
edit or select the directories name</source>
        <translation>Auswahl Verzeichnis
Namen des Verzeichnisses eingeben oder wählen</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>directory listview</source>
        <translation>Verzeichnisliste</translation>
    </message>
    <message>
        <source>Directory ListView

shows the list of dirs and files</source>
        <translation>Verzeichnisliste

zeigt die Verzeichnisse und Dateien</translation>
    </message>
</context>
<context>
    <name>KwQtFileEditDlg</name>
    <message>
        <source>dir</source>
        <translation>Verz.</translation>
    </message>
    <message>
        <source>file</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>link</source>
        <translation>Verknüpfung</translation>
    </message>
    <message>
        <source>make directory</source>
        <translation>Verzeichnis anlegen</translation>
    </message>
    <message>
        <source>The directory
%1
cannot be made:
%2</source>
        <translation>Das Verzeichnis
%1
kann nicht angelegt werden:
%2</translation>
    </message>
    <message>
        <source>choose directory</source>
        <translation>Verzeichnis wählen</translation>
    </message>
    <message>
        <source>%1
is not a directory</source>
        <translation>%1
ist kein Verzeichnis</translation>
    </message>
</context>
<context>
    <name>MainDlg</name>
    <message>
        <source>Vandro</source>
        <translation>Vandro</translation>
    </message>
    <message numerus="yes">
        <source>%n more camera files are not listed: %1</source>
        <translation>
            <numerusform>%n weitere Kameradatei wird nicht angezeigt: %1</numerusform>
            <numerusform>%n weitere Kameradateien werden nicht angezeigt: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>mount device</source>
        <translation>Karte einbinden</translation>
    </message>
    <message>
        <source>mount / umounts flashdisk</source>
        <translation>bindet die Speicherkarte ein / aus</translation>
    </message>
    <message>
        <source>Press this button, to mount or
umount the disk. If color is green,
the disk is mounted, if red
the disk is not.</source>
        <translation>Mit diesem Knopf wird die Karte
ein- oder ausgebunden. Die Farbe
zeigt, ob sie eingebunden ist.</translation>
    </message>
    <message>
        <source>shows the free disk space</source>
        <translation>zeigt den freien Speicherplatz</translation>
    </message>
    <message>
        <source>This Number shows the free
disk space for the destination
dir.</source>
        <translation>Diese Zahl zeigt den freien
Platz auf der Karte.</translation>
    </message>
    <message>
        <source>K</source>
        <translation>K</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Setup</translation>
    </message>
    <message>
        <source>Opens to the config dialog</source>
        <translation>öffnet den Einstellungsdialog</translation>
    </message>
    <message>
        <source>Opens the config dialog.</source>
        <translation>Öffnet den Einstellungsdialog.</translation>
    </message>
    <message>
        <source>Full</source>
        <translation>Voll</translation>
    </message>
    <message>
        <source>pixmap inf fullscreen mode</source>
        <translation>Bild im Vollbild</translation>
    </message>
    <message>
        <source>Shows the selected pixmap in
fullscreenmode (270 ° rotated)</source>
        <translation>Zeigt das gewählte Bild
im Vollbild (um 270 ° gedreht)</translation>
    </message>
    <message>
        <source>preview pixmap</source>
        <translation>Vorschaubild</translation>
    </message>
    <message>
        <source>Shows a preview preview 
of the selected pixmap</source>
        <translation>Zeigt eine Vorschau
des gewählten Bildes</translation>
    </message>
    <message>
        <source>delete all source dirs images</source>
        <translation>alle Bilder des Quellordners löschen</translation>
    </message>
    <message>
        <source>This button deletes all source dirs
images (to get more space on the disk).
You have to confirm the action twice.</source>
        <translation>Dieser Knopf löscht alle Bilder des
Quellverzeichnisses (für mehr Platz auf der Karte).
Sie müssen das zweimal bestätigen.</translation>
    </message>
    <message>
        <source>Change source dir</source>
        <translation>Quellordner wechseln</translation>
    </message>
    <message>
        <source>This Button opens a filedialog, 
to change the source dir.</source>
        <translation>Dieser Knopf öffnet einen Dateidialog,
um das Quellverzeichnis zu wechseln.</translation>
    </message>
    <message>
        <source>create thumbnails for actual dir</source>
        <translation>Vorschaubilder für diesen Ordner erzeugen</translation>
    </message>
    <message>
        <source>This button creates the thumbnails for
the left dir.</source>
        <translation>Dieser Knopf erzeugt die Miniaturen für
das linke Verzeichnis.</translation>
    </message>
    <message>
        <source>Copy the selected source to dest.</source>
        <translation>gewähltes Bild in den Zielordner kopieren</translation>
    </message>
    <message>
        <source>This button copies the selected source
image to the destination dir.</source>
        <translation>Dieser Knopf kopiert das gewählte Quellbild
in das Zielverzeichnis.</translation>
    </message>
    <message>
        <source>fromfile</source>
        <translation>Quelldatei</translation>
    </message>
    <message>
        <source>size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>source image list</source>
        <translation>Bilder des Quellordners</translation>
    </message>
    <message>
        <source>This listview shows the source
dirs image files.</source>
        <translation>Diese Liste zeigt die Bilder
des Quellverzeichnisses.</translation>
    </message>
    <message>
        <source>Delete selected image</source>
        <translation>gewähltes Bild löschen</translation>
    </message>
    <message>
        <source>This button deletes the selected 
image. You have to configrm the 
action.</source>
        <translation>Dieser Knopf löscht das gewählte
Bild. Sie müssen das
bestätigen.</translation>
    </message>
    <message>
        <source>create Thumbnails</source>
        <translation>Vorschaubilder erzeugen</translation>
    </message>
    <message>
        <source>This button creates the thumbnails for
the right dir.</source>
        <translation>Dieser Knopf erzeugt die Miniaturen für
das rechte Verzeichnis.</translation>
    </message>
    <message>
        <source>Change destination dir</source>
        <translation>Zielordner wechseln</translation>
    </message>
    <message>
        <source>This Button opens a filedialog,
to change the actual dir.</source>
        <translation>Dieser Knopf öffnet einen Dateidialog,
um das Verzeichnis zu wechseln.</translation>
    </message>
    <message>
        <source>Creates a directory</source>
        <translation>legt einen Ordner an</translation>
    </message>
    <message>
        <source>This toolbuttoncreates a directory
in the destination dir. A filedialog
leads you to the dir.</source>
        <translation>Dieser Knopf legt ein Verzeichnis
im Zielverzeichnis an. Ein Dateidialog
führt Sie dorthin.</translation>
    </message>
    <message>
        <source>tofile</source>
        <translation>Zieldatei</translation>
    </message>
    <message>
        <source>destination image list</source>
        <translation>Bilder des Zielordners</translation>
    </message>
    <message>
        <source>This listview shows the actual 
destination dirs image files.</source>
        <translation>Diese Liste zeigt die Bilder
des Zielverzeichnisses.</translation>
    </message>
</context>
<context>
    <name>ProgressDlg</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Form1</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>TextLabel1</source>
        <translation>Text</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>not found</source>
        <translation>nicht gefunden</translation>
    </message>
</context>
<context>
    <name>TesselApp</name>
    <message>
        <source>Quit ... </source>
        <translation>Beenden ... </translation>
    </message>
    <message>
        <source>You have modified the data!
Do you want to save the changes ?</source>
        <translation>Sie haben die Einstellungen geändert!
Sollen die Änderungen gespeichert werden?</translation>
    </message>
    <message>
        <source>Quit...</source>
        <translation>Beenden...</translation>
    </message>
    <message>
        <source>flashdisk is still mounted
unmount it</source>
        <translation>Die Speicherkarte ist noch eingebunden.
Ausbinden?</translation>
    </message>
    <message>
        <source>save configuration</source>
        <translation>Einstellungen speichern</translation>
    </message>
    <message>
        <source>The settings could not be saved in
%1

%2</source>
        <translation>Die Einstellungen konnten nicht gespeichert werden in
%1

%2</translation>
    </message>
    <message>
        <source>Tessel</source>
        <translation>Tessel</translation>
    </message>
    <message>
        <source>Tessel is already running with the settings in
%1</source>
        <translation>Tessel läuft bereits mit den Einstellungen in
%1</translation>
    </message>
</context>
<context>
    <name>TesselIOCfg</name>
    <message>
        <source>The value of %1 contains a line break, &quot;;&quot; or a character the settings file cannot hold.</source>
        <translation>Der Wert von %1 enthält einen Zeilenumbruch, &quot;;&quot; oder ein Zeichen, das die Einstellungsdatei nicht aufnehmen kann.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be created.</source>
        <translation>Der Ordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>This is not a plain file.</source>
        <translation>Dies ist keine gewöhnliche Datei.</translation>
    </message>
</context>
<context>
    <name>TesselView</name>
    <message>
        <source>FullPicture</source>
        <translation>Vollbild</translation>
    </message>
    <message>
        <source>ConfigEdit</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>change directory</source>
        <translation>Ordner wechseln</translation>
    </message>
    <message>
        <source>The path
%1
contains a line break, &quot;;&quot; or a character the settings file cannot hold.
The directory stays as it was.</source>
        <translation>Der Pfad
%1
enthält einen Zeilenumbruch, &quot;;&quot; oder ein Zeichen, das die Einstellungsdatei nicht aufnehmen kann.
Das Verzeichnis bleibt unverändert.</translation>
    </message>
    <message>
        <source>The path
%1
holds a name that is not valid UTF-8.
The directory stays as it was.</source>
        <translation>Der Pfad
%1
enthält einen Namen, der kein gültiges UTF-8 ist.
Das Verzeichnis bleibt unverändert.</translation>
    </message>
    <message>
        <source>save source thumbnails</source>
        <translation>Vorschaubilder der Quelle speichern</translation>
    </message>
    <message>
        <source>save dest thumbnails</source>
        <translation>Vorschaubilder des Ziels speichern</translation>
    </message>
</context>
<context>
    <name>ThumbnailWork</name>
    <message>
        <source>the picture cannot be read</source>
        <translation>das Bild kann nicht gelesen werden</translation>
    </message>
    <message numerus="yes">
        <source>%n of the %1 pictures could not be read or saved.
%2</source>
        <translation>
            <numerusform>%n der %1 Bilder konnte nicht gelesen oder gespeichert werden.
%2</numerusform>
            <numerusform>%n der %1 Bilder konnten nicht gelesen oder gespeichert werden.
%2</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>cfgEdit</name>
    <message>
        <source>common</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>data path</source>
        <translation>Datenpfad</translation>
    </message>
    <message>
        <source>fileextension</source>
        <translation>Dateiendung</translation>
    </message>
    <message>
        <source>mount</source>
        <translation>Einbinden</translation>
    </message>
    <message>
        <source>path on flash</source>
        <translation>Pfad auf der Karte</translation>
    </message>
    <message>
        <source>device</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>mountpoint</source>
        <translation>Einhängepunkt</translation>
    </message>
    <message>
        <source>screensize</source>
        <translation>Bildschirmgröße</translation>
    </message>
    <message>
        <source>preview width</source>
        <translation>Vorschau Breite</translation>
    </message>
    <message>
        <source>preview height</source>
        <translation>Vorschau Höhe</translation>
    </message>
    <message>
        <source>fullscreen width</source>
        <translation>Vollbild Breite</translation>
    </message>
    <message>
        <source>fullscreen height</source>
        <translation>Vollbild Höhe</translation>
    </message>
    <message>
        <source>fscreen rotation</source>
        <translation>Vollbild Drehung</translation>
    </message>
    <message>
        <source>display width</source>
        <translation>Anzeige Breite</translation>
    </message>
    <message>
        <source>display height</source>
        <translation>Anzeige Höhe</translation>
    </message>
    <message>
        <source>help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>help file</source>
        <translation>Hilfedatei</translation>
    </message>
    <message>
        <source>helpprog</source>
        <translation>Hilfeprogramm</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>The entry &quot;%1&quot; contains a line break, &quot;;&quot; or a character the settings file cannot hold.
Please correct it.</source>
        <translation>Der Eintrag &quot;%1&quot; enthält einen Zeilenumbruch, &quot;;&quot; oder ein Zeichen, das die Einstellungsdatei nicht aufnehmen kann.
Bitte korrigieren Sie ihn.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>You have modified the data!
Do you want to save the changes ?</source>
        <translation>Sie haben die Einstellungen geändert!
Sollen die Änderungen gespeichert werden?</translation>
    </message>
    <message>
        <source>The folder %1 is not on the card mounted at &quot;%2&quot;.
The path on flash must lie below the mount point.</source>
        <translation>Der Ordner %1 liegt nicht auf der Karte, die unter &quot;%2&quot; eingebunden ist.
Der Pfad auf der Karte muss unter dem Einhängepunkt liegen.</translation>
    </message>
    <message>
        <source>The entry &quot;%1&quot; needs a whole number, in decimal or in hexadecimal after 0x or h.
Please correct it.</source>
        <translation>Der Eintrag &quot;%1&quot; braucht eine ganze Zahl, dezimal oder hexadezimal nach 0x oder h.
Bitte korrigieren Sie ihn.</translation>
    </message>
    <message>
        <source>The entry &quot;%1&quot; must lie between %2 and %3.
Please correct it.</source>
        <translation>Der Eintrag &quot;%1&quot; muss zwischen %2 und %3 liegen.
Bitte korrigieren Sie ihn.</translation>
    </message>
</context>
<context>
    <name>progressEdit</name>
    <message>
        <source> : not saveable</source>
        <translation> : nicht speicherbar</translation>
    </message>
    <message>
        <source>file:</source>
        <translation>Datei:</translation>
    </message>
    <message>
        <source>file:%1 timeto:%2 sec</source>
        <translation>Datei:%1 Rest:%2 s</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n files</source>
        <translation>
            <numerusform>%1 von %n Datei</numerusform>
            <numerusform>%1 von %n Dateien</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of %2 MB</source>
        <translation>%1 von %2 MB</translation>
    </message>
    <message>
        <source>measuring the time left</source>
        <translation>Restzeit wird gemessen</translation>
    </message>
    <message numerus="yes">
        <source>%n second(s) left</source>
        <translation>
            <numerusform>noch %n Sekunde</numerusform>
            <numerusform>noch %n Sekunden</numerusform>
        </translation>
    </message>
</context>
</TS>
