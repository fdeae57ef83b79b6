<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Application</name>
    <message>
        <source>Unknown exception.</source>
        <translation>Unbekannte Ausnahme.</translation>
    </message>
</context>
<context>
    <name>TFormChangeSens</name>
    <message>
        <source>Change Sensor</source>
        <translation>Sensor wechseln</translation>
    </message>
</context>
<context>
    <name>TFormCompany</name>
    <message>
        <source>Company</source>
        <translation>Firma</translation>
    </message>
</context>
<context>
    <name>TFormMain</name>
    <message>
        <source>KALDORIAN GmbH | VRX-310 | electronic compression &amp; leakage tester</source>
        <translation>KALDORIAN GmbH | VRX-310 | elektronischer Kompressions- &amp; Druckverlusttester</translation>
    </message>
    <message>
        <source>(error)</source>
        <translation>(Fehler)</translation>
    </message>
    <message>
        <source>(not available)</source>
        <translation>(nicht verfügbar)</translation>
    </message>
    <message>
        <source>No VRX-310 device connected!</source>
        <translation>Kein VRX-310 angeschlossen!</translation>
    </message>
    <message>
        <source>measures read</source>
        <translation>Messwerte gelesen</translation>
    </message>
    <message>
        <source>No measures available.</source>
        <translation>Keine Messwerte vorhanden.</translation>
    </message>
    <message>
        <source>Error reading VRX-310 device!</source>
        <translation>Fehler beim Lesen des VRX-310!</translation>
    </message>
    <message>
        <source>Measure values not read! Erase anyway?</source>
        <translation>Messwerte nicht gelesen! Trotzdem löschen?</translation>
    </message>
    <message>
        <source>measures erased</source>
        <translation>Messwerte gelöscht</translation>
    </message>
    <message>
        <source>Erasing measurements failed!</source>
        <translation>Löschen der Messwerte fehlgeschlagen!</translation>
    </message>
    <message>
        <source>Error opening file!</source>
        <translation>Fehler beim Öffnen der Datei!</translation>
    </message>
    <message>
        <source>report saved</source>
        <translation>Bericht gespeichert</translation>
    </message>
    <message>
        <source>The current report is not saved! Save now?</source>
        <translation>Der aktuelle Bericht ist nicht gespeichert! Jetzt speichern?</translation>
    </message>
    <message>
        <source>Error saving file!</source>
        <translation>Fehler beim Speichern der Datei!</translation>
    </message>
    <message>
        <source>report printed</source>
        <translation>Bericht gedruckt</translation>
    </message>
    <message>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <source>Car identification:</source>
        <translation>Fahrzeugkennung:</translation>
    </message>
    <message>
        <source>Report date and time:</source>
        <translation>Datum und Uhrzeit des Berichts:</translation>
    </message>
    <message>
        <source>Compression pressure values</source>
        <translation>Kompressionsdruckwerte</translation>
    </message>
    <message>
        <source>Cylinder </source>
        <translation>Zylinder </translation>
    </message>
    <message>
        <source>File:</source>
        <translation>Datei:</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>(keine)</translation>
    </message>
    <message>
        <source>Printed:</source>
        <translation>Gedruckt:</translation>
    </message>
    <message>
        <source>This service is executed by:</source>
        <translation>Diese Prüfung wurde durchgeführt von:</translation>
    </message>
    <message>
        <source>Measurement device information</source>
        <translation>Informationen zum Messgerät</translation>
    </message>
    <message>
        <source>Measurement device:</source>
        <translation>Messgerät:</translation>
    </message>
    <message>
        <source>Device S/N:</source>
        <translation>Geräte-S/N:</translation>
    </message>
    <message>
        <source>Sensor S/N:</source>
        <translation>Sensor-S/N:</translation>
    </message>
    <message>
        <source>No car identification declared.</source>
        <translation>Keine Fahrzeugkennung angegeben.</translation>
    </message>
    <message>
        <source>No operator name declared. </source>
        <translation>Kein Prüfername angegeben. </translation>
    </message>
    <message>
        <source>Sure to erase device data?</source>
        <translation>Gerätedaten wirklich löschen?</translation>
    </message>
    <message>
        <source>Do you really want change sensor?  Last chance to abort!</source>
        <translation>Wollen Sie den Sensor wirklich wechseln?  Letzte Möglichkeit zum Abbrechen!</translation>
    </message>
    <message>
        <source>Cyl. no.</source>
        <translation>Zyl.-Nr.</translation>
    </message>
    <message>
        <source>Measurement Report | VRX-310</source>
        <translation>Messbericht | VRX-310</translation>
    </message>
    <message>
        <source>Car Identification: </source>
        <translation>Fahrzeugkennung: </translation>
    </message>
    <message>
        <source>Operator: </source>
        <translation>Prüfer: </translation>
    </message>
    <message>
        <source>Report Date and Time: </source>
        <translation>Datum und Uhrzeit des Berichts: </translation>
    </message>
    <message>
        <source> --- not loaded from a file --- </source>
        <translation> --- nicht aus einer Datei geladen --- </translation>
    </message>
    <message>
        <source>Device and Software Information (please quote in communication):</source>
        <translation>Geräte- und Softwareinformationen (bitte bei Rückfragen angeben):</translation>
    </message>
    <message>
        <source>Device SN:</source>
        <translation>Geräte-SN:</translation>
    </message>
    <message>
        <source>Sensor SN:</source>
        <translation>Sensor-SN:</translation>
    </message>
    <message>
        <source>Software release: </source>
        <translation>Softwarestand: </translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>&amp;Open File</source>
        <translation>Datei ö&amp;ffnen</translation>
    </message>
    <message>
        <source>&amp;Save File</source>
        <translation>Datei &amp;speichern</translation>
    </message>
    <message>
        <source>&amp;Print Report</source>
        <translation>Bericht &amp;drucken</translation>
    </message>
    <message>
        <source>E&amp;xit Program</source>
        <translation>Programm &amp;beenden</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>&amp;Read Device</source>
        <translation>Gerät &amp;auslesen</translation>
    </message>
    <message>
        <source>&amp;Clear Measures</source>
        <translation>Messwerte &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Clear measurements after reading</source>
        <translation>Messwerte nach dem Auslesen lös&amp;chen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>A&amp;bout...</source>
        <translation>Ü&amp;ber...</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Company</source>
        <translation>&amp;Firma</translation>
    </message>
    <message>
        <source>&amp;Names of operators</source>
        <translation>&amp;Namen der Prüfer</translation>
    </message>
    <message>
        <source>Change Sensor</source>
        <translation>Sensor wechseln</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Device</source>
        <translation>&amp;Gerät</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Read out device measures.</source>
        <translation>Messwerte aus dem Gerät auslesen.</translation>
    </message>
    <message>
        <source>Erase measures on device.</source>
        <translation>Messwerte im Gerät löschen.</translation>
    </message>
    <message>
        <source>Printer Options</source>
        <translation>Druckoptionen</translation>
    </message>
    <message>
        <source>Compression Chart</source>
        <translation>Kompressionsdiagramm</translation>
    </message>
    <message>
        <source>Leakage Chart</source>
        <translation>Druckverlustdiagramm</translation>
    </message>
    <message>
        <source>Print Logo</source>
        <translation>Logo drucken</translation>
    </message>
    <message>
        <source>&amp;Unit</source>
        <translation>&amp;Einheit</translation>
    </message>
    <message>
        <source>&amp;Name of operator</source>
        <translation>&amp;Name des Prüfers</translation>
    </message>
    <message>
        <source>Vehicle / Test piece</source>
        <translation>Fahrzeug / Prüfling</translation>
    </message>
    <message>
        <source>Characteristics of the vehicle / test piece.</source>
        <translation>Kennzeichen des Fahrzeugs / Prüflings.</translation>
    </message>
    <message>
        <source>Date and Time:</source>
        <translation>Datum und Uhrzeit:</translation>
    </message>
    <message>
        <source>Save what you see</source>
        <translation>Speichern, was zu sehen ist</translation>
    </message>
    <message>
        <source>Saves only the selected  Values.</source>
        <translation>Speichert nur die ausgewählten  Werte.</translation>
    </message>
    <message>
        <source>en</source>
        <translation>de</translation>
    </message>
    <message>
        <source>Compression</source>
        <translation>Kompression</translation>
    </message>
    <message>
        <source>Unit:</source>
        <translation>Einheit:</translation>
    </message>
    <message>
        <source>Storage / Cylinder</source>
        <translation>Speicher / Zylinder</translation>
    </message>
    <message>
        <source>Leakage</source>
        <translation>Druckverlust</translation>
    </message>
    <message>
        <source>Unit:  %    base reference 4bar</source>
        <translation>Einheit:  %    Bezugsdruck 4bar</translation>
    </message>
</context>
<context>
    <name>TFormNames</name>
    <message>
        <source>Names of Operators</source>
        <translation>Namen der Prüfer</translation>
    </message>
</context>
</TS>
