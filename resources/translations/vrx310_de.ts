<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Application</name>
    <message>
        <location filename="../../app/main.cpp" line="92"/>
        <location filename="../../app/main.cpp" line="134"/>
        <source>Unknown exception.</source>
        <translation>Unbekannte Ausnahme.</translation>
    </message>
</context>
<context>
    <name>PrintReport</name>
    <message>
        <location filename="../../print/report_page.cpp" line="311"/>
        <source>The report could not be printed.</source>
        <translation>Der Bericht konnte nicht gedruckt werden.</translation>
    </message>
</context>
<context>
    <name>TFormAbout</name>
    <message>
        <location filename="../../dialogs/form_about.cpp" line="127"/>
        <source>homepage:</source>
        <translation>Homepage:</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_about.cpp" line="159"/>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_about.cpp" line="174"/>
        <source>electronic compression &amp;&amp; leakage tester</source>
        <translation>elektronischer Kompressions- &amp;&amp; Druckverlusttester</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_about.cpp" line="175"/>
        <source>version</source>
        <translation>Version</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_about.cpp" line="176"/>
        <source>phone      +49 711 555 310-0</source>
        <translation>Telefon    +49 711 555 310-0</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_about.cpp" line="177"/>
        <source>fax          +49 711 555 310-99</source>
        <translation>Fax          +49 711 555 310-99</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_about.cpp" line="178"/>
        <source>For sales or general information please contact  --  sales@kaldorian-diagnostics.example</source>
        <translation>Für Vertrieb und allgemeine Auskünfte wenden Sie sich bitte an  --  sales@kaldorian-diagnostics.example</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_about.cpp" line="180"/>
        <source>Thank you for buying and using our KALDORIAN products!</source>
        <translation>Vielen Dank für Ihr Vertrauen in KALDORIAN-Produkte!</translation>
    </message>
</context>
<context>
    <name>TFormChangeSens</name>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="118"/>
        <source>Change Sensor</source>
        <translation>Sensor wechseln</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="119"/>
        <source>Sensorfile</source>
        <translation>Sensordatei</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="121"/>
        <source>Change</source>
        <translation>Wechseln</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="122"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="123"/>
        <source>Please insert the sensor serial number and press ENTER.</source>
        <translation>Bitte geben Sie die Seriennummer des Sensors ein und drücken Sie ENTER.</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="124"/>
        <source>Open Sensorfile</source>
        <translation>Sensordatei öffnen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="125"/>
        <source>Sensorfile (*.sens)</source>
        <translation>Sensordatei (*.sens)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="135"/>
        <source>Do not disconnect device from USB during this process!</source>
        <translation>Gerät während des Vorgangs nicht vom USB-Port trennen!</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="136"/>
        <location filename="../../dialogs/form_change_sens.cpp" line="139"/>
        <source>ENG</source>
        <translation>DEU</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="137"/>
        <source>No sensorfile selected!</source>
        <translation>Keine Sensordatei ausgewählt!</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="138"/>
        <source>File or filepath not guilty.</source>
        <translation>Datei oder Dateipfad ungültig.</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="140"/>
        <source>Writing Sensor data onto device completed.</source>
        <translation>Die Sensordaten wurden in das Gerät geschrieben.</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="141"/>
        <source>Verification value was not correct!</source>
        <translation>Der Prüfwert stimmt nicht!</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="142"/>
        <source>Impossible value for sensor factor!</source>
        <translation>Unmöglicher Wert für den Sensorfaktor!</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="143"/>
        <source>The serial number is too long: the tester takes at most 15 characters.</source>
        <translation>Die Seriennummer ist zu lang: das Gerät nimmt höchstens 15 Zeichen an.</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_change_sens.cpp" line="144"/>
        <source>The tester does not answer. The sensor data was not written.</source>
        <translation>Das Gerät antwortet nicht. Die Sensordaten wurden nicht geschrieben.</translation>
    </message>
</context>
<context>
    <name>TFormCompany</name>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="118"/>
        <source>Company</source>
        <translation>Firma</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="119"/>
        <source>&amp;Name</source>
        <translation>&amp;Name</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="119"/>
        <source>&amp;Address</source>
        <translation>&amp;Straße</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="119"/>
        <source>&amp;City</source>
        <translation>&amp;Ort</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="119"/>
        <source>&amp;Phone</source>
        <translation>&amp;Telefon</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="120"/>
        <source>&amp;Fax</source>
        <translation>&amp;Fax</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="120"/>
        <source>Email</source>
        <translation>E-Mail</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="120"/>
        <source>Website</source>
        <translation>Webseite</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="120"/>
        <source>Company logo</source>
        <translation>Firmenlogo</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="123"/>
        <source>Place for your company logo.</source>
        <translation>Platz für Ihr Firmenlogo.</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="125"/>
        <source>Please select your company logo. Supported files: jpeg; jpg; bmp;</source>
        <translation>Bitte wählen Sie Ihr Firmenlogo aus. Unterstützte Dateien: jpeg; jpg; bmp;</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="126"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="127"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="128"/>
        <source>JPEG-graphic file (*.jpg)</source>
        <translation>JPEG-Grafikdatei (*.jpg)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="128"/>
        <source>JPEG-graphic file (*.jpeg)</source>
        <translation>JPEG-Grafikdatei (*.jpeg)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="129"/>
        <source>Bitmaps (*.bmp)</source>
        <translation>Bitmaps (*.bmp)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="130"/>
        <source>All supported files (*.jpg *.jpeg *.bmp)</source>
        <translation>Alle unterstützten Dateien (*.jpg *.jpeg *.bmp)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="142"/>
        <source>File or filepath not guilty.</source>
        <translation>Datei oder Dateipfad ungültig.</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_company.cpp" line="142"/>
        <source>Default Picture</source>
        <translation>Standardbild</translation>
    </message>
</context>
<context>
    <name>TFormMain</name>
    <message>
        <location filename="../../app/main/main_window.cpp" line="123"/>
        <source>KALDORIAN GmbH | VRX-310 | electronic compression &amp; leakage tester</source>
        <translation>KALDORIAN GmbH | VRX-310 | elektronischer Kompressions- &amp; Druckverlusttester</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="124"/>
        <source>(error)</source>
        <translation>(Fehler)</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="125"/>
        <source>(not available)</source>
        <translation>(nicht verfügbar)</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="126"/>
        <source>No VRX-310 device connected!</source>
        <translation>Kein VRX-310 angeschlossen!</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="127"/>
        <source>measures read</source>
        <translation>Messwerte gelesen</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="128"/>
        <source>No measures available.</source>
        <translation>Keine Messwerte vorhanden.</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="129"/>
        <source>Error reading VRX-310 device!</source>
        <translation>Fehler beim Lesen des VRX-310!</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="130"/>
        <source>Measure values not read! Erase anyway?</source>
        <translation>Messwerte nicht gelesen! Trotzdem löschen?</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="131"/>
        <source>measures erased</source>
        <translation>Messwerte gelöscht</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="132"/>
        <source>Erasing measurements failed!</source>
        <translation>Löschen der Messwerte fehlgeschlagen!</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="133"/>
        <source>Error opening file!</source>
        <translation>Fehler beim Öffnen der Datei!</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="134"/>
        <source>report saved</source>
        <translation>Bericht gespeichert</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="135"/>
        <source>The current report is not saved! Save now?</source>
        <translation>Der aktuelle Bericht ist nicht gespeichert! Jetzt speichern?</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="136"/>
        <source>Error saving file!</source>
        <translation>Fehler beim Speichern der Datei!</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="137"/>
        <source>report printed</source>
        <translation>Bericht gedruckt</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="138"/>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="139"/>
        <source>Car identification:</source>
        <translation>Fahrzeugkennung:</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="140"/>
        <source>Report date and time:</source>
        <translation>Datum und Uhrzeit des Berichts:</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="141"/>
        <source>Compression pressure values</source>
        <translation>Kompressionsdruckwerte</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="142"/>
        <source>Cylinder </source>
        <translation>Zylinder </translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="143"/>
        <source>File:</source>
        <translation>Datei:</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="144"/>
        <source>(none)</source>
        <translation>(keine)</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="145"/>
        <source>Printed:</source>
        <translation>Gedruckt:</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="146"/>
        <source>This service is executed by:</source>
        <translation>Diese Prüfung wurde durchgeführt von:</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="147"/>
        <source>Measurement device information</source>
        <translation>Informationen zum Messgerät</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="148"/>
        <source>Measurement device:</source>
        <translation>Messgerät:</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="149"/>
        <location filename="../../app/main/main_window.cpp" line="320"/>
        <source>Device S/N:</source>
        <translation>Geräte-S/N:</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="150"/>
        <location filename="../../app/main/main_window.cpp" line="323"/>
        <source>Sensor S/N:</source>
        <translation>Sensor-S/N:</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="151"/>
        <source>No car identification declared.</source>
        <translation>Keine Fahrzeugkennung angegeben.</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="152"/>
        <source>No operator name declared. </source>
        <translation>Kein Prüfername angegeben. </translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="153"/>
        <source>Sure to erase device data?</source>
        <translation>Gerätedaten wirklich löschen?</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="155"/>
        <source>Do you really want change sensor?  Last chance to abort!</source>
        <translation>Wollen Sie den Sensor wirklich wechseln?  Letzte Möglichkeit zum Abbrechen!</translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="29"/>
        <source>Cyl. no.</source>
        <translation>Zyl.-Nr.</translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="18"/>
        <source>Measurement Report | VRX-310</source>
        <translation>Messbericht | VRX-310</translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="19"/>
        <source>Car Identification: </source>
        <translation>Fahrzeugkennung: </translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="20"/>
        <source>Operator: </source>
        <translation>Prüfer: </translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="21"/>
        <source>Report Date and Time: </source>
        <translation>Datum und Uhrzeit des Berichts: </translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="22"/>
        <source> --- not loaded from a file --- </source>
        <translation> --- nicht aus einer Datei geladen --- </translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="23"/>
        <source>Device and Software Information (please quote in communication):</source>
        <translation>Geräte- und Softwareinformationen (bitte bei Rückfragen angeben):</translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="25"/>
        <source>Device SN:</source>
        <translation>Geräte-SN:</translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="26"/>
        <source>Sensor SN:</source>
        <translation>Sensor-SN:</translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="27"/>
        <source>Software release: </source>
        <translation>Softwarestand: </translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="184"/>
        <location filename="../../app/main/main_window.cpp" line="186"/>
        <location filename="../../app/main/main_window.cpp" line="188"/>
        <location filename="../../app/main/main_window.cpp" line="190"/>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="184"/>
        <source>&amp;Open File</source>
        <translation>Datei ö&amp;ffnen</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="186"/>
        <source>&amp;Save File</source>
        <translation>Datei &amp;speichern</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="188"/>
        <source>&amp;Print Report</source>
        <translation>Bericht &amp;drucken</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="190"/>
        <source>E&amp;xit Program</source>
        <translation>Programm &amp;beenden</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="192"/>
        <location filename="../../app/main/main_window.cpp" line="194"/>
        <location filename="../../app/main/main_window.cpp" line="196"/>
        <location filename="../../app/main/main_window.cpp" line="204"/>
        <source>Device</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="192"/>
        <source>&amp;Read Device</source>
        <translation>Gerät &amp;auslesen</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="194"/>
        <source>&amp;Clear Measures</source>
        <translation>Messwerte &amp;löschen</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="196"/>
        <source>&amp;Clear measurements after reading</source>
        <translation>Messwerte nach dem Auslesen lös&amp;chen</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="198"/>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="198"/>
        <source>A&amp;bout...</source>
        <translation>Ü&amp;ber...</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="200"/>
        <location filename="../../app/main/main_window.cpp" line="202"/>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="200"/>
        <source>&amp;Company</source>
        <translation>&amp;Firma</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="202"/>
        <source>&amp;Names of operators</source>
        <translation>&amp;Namen der Prüfer</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="204"/>
        <source>Change Sensor</source>
        <translation>Sensor wechseln</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="226"/>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="232"/>
        <source>&amp;Device</source>
        <translation>&amp;Gerät</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="239"/>
        <source>&amp;Settings</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="242"/>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="276"/>
        <source>Read out device measures.</source>
        <translation>Messwerte aus dem Gerät auslesen.</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="277"/>
        <source>Erase measures on device.</source>
        <translation>Messwerte im Gerät löschen.</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="280"/>
        <source>Printer Options</source>
        <translation>Druckoptionen</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="284"/>
        <source>Compression Chart</source>
        <translation>Kompressionsdiagramm</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="286"/>
        <source>Leakage Chart</source>
        <translation>Druckverlustdiagramm</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="288"/>
        <source>Print Logo</source>
        <translation>Mit Logo</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="328"/>
        <source>&amp;Unit</source>
        <translation>E&amp;inheit</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="336"/>
        <source>&amp;Name of operator</source>
        <translation>&amp;Name des Prüfers</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="343"/>
        <source>Vehicle / Test piece</source>
        <translation>Fahrzeug / Prüfling</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="346"/>
        <source>Characteristics of the vehicle / test piece.</source>
        <translation>Kennzeichen des Fahrzeugs / Prüflings.</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="357"/>
        <source>Date and Time:</source>
        <translation>Datum und Uhrzeit:</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="369"/>
        <source>Save what you see</source>
        <translation>Speichern, was zu sehen ist</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="371"/>
        <source>Saves only the selected  Values.</source>
        <translation>Speichert nur die ausgewählten  Werte.</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window.cpp" line="408"/>
        <source>en</source>
        <translation>de</translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="30"/>
        <source>Compression</source>
        <translation>Kompression</translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="31"/>
        <source>Unit:</source>
        <translation>Einheit:</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window_charts.cpp" line="79"/>
        <location filename="../../app/main/main_window_charts.cpp" line="92"/>
        <source>Storage / Cylinder</source>
        <translation>Speicher / Zylinder</translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="32"/>
        <source>Leakage</source>
        <translation>Druckverlust</translation>
    </message>
    <message>
        <location filename="../../print/printed_texts.cpp" line="34"/>
        <source>Unit:  %    base reference 4bar</source>
        <translation>Einheit:  %    Bezugsdruck 4bar</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window_file.cpp" line="37"/>
        <source>Save Report</source>
        <translation>Bericht speichern</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window_file.cpp" line="38"/>
        <source>Open Report</source>
        <translation>Bericht öffnen</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window_file.cpp" line="41"/>
        <source>VRX-310 reports (*.vrx)</source>
        <translation>VRX-310-Berichte (*.vrx)</translation>
    </message>
</context>
<context>
    <name>TFormMsg</name>
    <message>
        <location filename="../../dialogs/form_msg.cpp" line="172"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_msg.cpp" line="173"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_msg.cpp" line="174"/>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_msg.cpp" line="175"/>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_msg.cpp" line="185"/>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_msg.cpp" line="185"/>
        <source>Confirmation</source>
        <translation>Bestätigung</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_msg.cpp" line="185"/>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_msg.cpp" line="185"/>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>TFormNames</name>
    <message>
        <location filename="../../dialogs/form_names.cpp" line="105"/>
        <source>Names of Operators</source>
        <translation>Namen der Prüfer</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_names.cpp" line="106"/>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_names.cpp" line="107"/>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_names.cpp" line="108"/>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_names.cpp" line="109"/>
        <location filename="../../dialogs/form_names.cpp" line="111"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_names.cpp" line="110"/>
        <location filename="../../dialogs/form_names.cpp" line="112"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>Evaluation</name>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Indication: good</source>
        <translation>Hinweis: gut</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Indication: acceptable</source>
        <translation>Hinweis: akzeptabel</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Indication: warning</source>
        <translation>Hinweis: Warnung</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Indication: check</source>
        <translation>Hinweis: prüfen</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Indication: fault</source>
        <translation>Hinweis: Fehler</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Indication: bad</source>
        <translation>Hinweis: schlecht</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>No verdict</source>
        <translation>Keine Aussage</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Cylinders %1 and %2 low side by side: a hint to the head gasket between them.</source>
        <translation>Zylinder %1 und %2 nebeneinander zu niedrig: ein Hinweis auf die Zylinderkopfdichtung zwischen ihnen.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Cylinders %1 and %2 leak side by side: a hint to the head gasket between them.</source>
        <translation>Zylinder %1 und %2 nebeneinander undicht: ein Hinweis auf die Zylinderkopfdichtung zwischen ihnen.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>All cylinders low: a hint to worn piston rings or the valve timing.</source>
        <translation>Alle Zylinder zu niedrig: ein Hinweis auf verschlissene Kolbenringe oder die Steuerzeiten.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>All cylinders leak: a hint to worn piston rings.</source>
        <translation>Alle Zylinder undicht: ein Hinweis auf verschlissene Kolbenringe.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Only cylinder %1 low: often a valve.</source>
        <translation>Nur Zylinder %1 zu niedrig: oft ein Ventil.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Only cylinder %1 leaks: often a valve.</source>
        <translation>Nur Zylinder %1 undicht: oft ein Ventil.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Please give the rule set a name.</source>
        <translation>Bitte geben Sie dem Regelsatz einen Namen.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>The lowest cylinder&apos;s share of the highest must lie between 1 % and 100 %.</source>
        <translation>Der Anteil des niedrigsten Zylinders am höchsten muss zwischen 1 % und 100 % liegen.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>The largest difference between cylinders must be above 0 % and leave the lowest cylinder&apos;s share reachable (difference + share at most 100 %).</source>
        <translation>Der größte Unterschied zwischen den Zylindern muss über 0 % liegen und den Anteil des niedrigsten Zylinders erreichbar lassen (Unterschied + Anteil höchstens 100 %).</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Please choose the unit of the maker&apos;s data.</source>
        <translation>Bitte wählen Sie die Einheit der Herstellerdaten.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>The minimum compression must be at least 0.1 bar and within the tester&apos;s range.</source>
        <translation>Der Mindestdruck muss mindestens 0,1 bar betragen und im Messbereich des Testers liegen.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>The largest difference between cylinders must be at least 0.1 bar and smaller than the minimum compression.</source>
        <translation>Der größte Unterschied zwischen den Zylindern muss mindestens 0,1 bar betragen und kleiner als der Mindestdruck sein.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>The leakage limits must rise: 0 % &lt; good &lt;= acceptable &lt;= bad &lt;= 100 %.</source>
        <translation>Die Grenzen des Druckverlusts müssen ansteigen: 0 % &lt; gut &lt;= akzeptabel &lt;= schlecht &lt;= 100 %.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Default</source>
        <translation>Standard</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Relative 70 %</source>
        <translation>Relativ 70 %</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Maker&apos;s data</source>
        <translation>Herstellerdaten</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>cyl. %1: %2</source>
        <translation>Zyl. %1: %2</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>no values shown</source>
        <translation>keine Werte angezeigt</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>min %1, max %2, mean %3, spread %4</source>
        <translation>Min. %1, Max. %2, Mittel %3, Streuung %4</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Rule set: %1. Every flag is an indication; the cause is the technician&apos;s judgement.</source>
        <translation>Regelsatz: %1. Jede Markierung ist ein Hinweis; die Ursache beurteilt der Techniker.</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Evaluation (indications) - rule set: %1</source>
        <translation>Bewertung (Hinweise) - Regelsatz: %1</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Compression (%1)</source>
        <translation>Kompression (%1)</translation>
    </message>
    <message>
        <location filename="../../print/evaluation_texts.cpp"/>
        <source>Leakage (%)</source>
        <translation>Druckverlust (%)</translation>
    </message>
</context>
<context>
    <name>TEvaluationPanel</name>
    <message>
        <location filename="../../app/main/evaluation_panel.cpp"/>
        <source>Cyl.</source>
        <translation>Zyl.</translation>
    </message>
    <message>
        <location filename="../../app/main/evaluation_panel.cpp"/>
        <source>Compression
(%1)</source>
        <translation>Kompression
(%1)</translation>
    </message>
    <message>
        <location filename="../../app/main/evaluation_panel.cpp"/>
        <source>of highest
(%)</source>
        <translation>vom höchsten
(%)</translation>
    </message>
    <message>
        <location filename="../../app/main/evaluation_panel.cpp"/>
        <source>Deviation
(%1)</source>
        <translation>Abweichung
(%1)</translation>
    </message>
    <message>
        <location filename="../../app/main/evaluation_panel.cpp"/>
        <source>Indication</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <location filename="../../app/main/evaluation_panel.cpp"/>
        <source>Leakage
(%)</source>
        <translation>Druckverlust
(%)</translation>
    </message>
    <message>
        <location filename="../../app/main/evaluation_panel.cpp"/>
        <source>Deviation
(points)</source>
        <translation>Abweichung
(Punkte)</translation>
    </message>
</context>
<context>
    <name>TFormMainEvaluation</name>
    <message>
        <location filename="../../app/main/main_window_evaluation.cpp"/>
        <source>Show &amp;Evaluation</source>
        <translation>&amp;Bewertung anzeigen</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window_evaluation.cpp"/>
        <source>Evaluation &amp;Rules...</source>
        <translation>Bewertungs&amp;regeln...</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window_evaluation.cpp"/>
        <source>Evaluation</source>
        <translation>Bewertung</translation>
    </message>
</context>
<context>
    <name>TFormRules</name>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Evaluation Rules</source>
        <translation>Bewertungsregeln</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>(choose a preset)</source>
        <translation>(Vorgabe wählen)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Preset:</source>
        <translation>Vorgabe:</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Name of the rule set:</source>
        <translation>Name des Regelsatzes:</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Compression, relative</source>
        <translation>Kompression, relativ</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Lowest cylinder at least this share of the highest</source>
        <translation>Niedrigster Zylinder mindestens dieser Anteil des höchsten</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>No cylinder more than this below the highest (else a warning)</source>
        <translation>Kein Zylinder mehr als dies unter dem höchsten (sonst Warnung)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Compression, engine maker&apos;s data (take precedence)</source>
        <translation>Kompression, Daten des Motorherstellers (haben Vorrang)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Unit of the maker&apos;s data:</source>
        <translation>Einheit der Herstellerdaten:</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Minimum compression (wear limit)</source>
        <translation>Mindestdruck (Verschleißgrenze)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Largest difference between cylinders</source>
        <translation>Größter Unterschied zwischen den Zylindern</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Leakage</source>
        <translation>Druckverlust</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Judge the leakage by these limits</source>
        <translation>Druckverlust nach diesen Grenzen bewerten</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Good up to (%):</source>
        <translation>Gut bis (%):</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Acceptable up to (%):</source>
        <translation>Akzeptabel bis (%):</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Bad from (%):</source>
        <translation>Schlecht ab (%):</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Leakage figures compare only on the same tester and reference pressure.</source>
        <translation>Druckverlustwerte sind nur mit demselben Tester und Referenzdruck vergleichbar.</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Show hints to possible causes (head gasket, rings, valve)</source>
        <translation>Hinweise auf mögliche Ursachen zeigen (Kopfdichtung, Ringe, Ventil)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_rules.cpp"/>
        <source>Please enter a number for &quot;%1&quot;.</source>
        <translation>Bitte geben Sie eine Zahl für „%1“ ein.</translation>
    </message>
</context>
<context>
    <name>TFormHistory</name>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Report history</source>
        <translation>Berichtsverlauf</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Folder:</source>
        <translation>Ordner:</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>&amp;Choose folder...</source>
        <translation>Ordner &amp;wählen...</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Include &amp;subfolders</source>
        <translation>&amp;Unterordner einbeziehen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>&amp;Vehicle / test piece:</source>
        <translation>Fa&amp;hrzeug / Prüfling:</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Cancel &amp;listing</source>
        <translation>Einlesen &amp;abbrechen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>&amp;Open</source>
        <translation>&amp;Öffnen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Co&amp;mpare</source>
        <translation>&amp;Vergleichen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Reading the folder...</source>
        <translation>Ordner wird gelesen...</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>%1 of %2 files read</source>
        <translation>%1 von %2 Dateien gelesen</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>%1 reports, %2 other files</source>
        <translation>%1 Berichte, %2 andere Dateien</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Listing cancelled: </source>
        <translation>Einlesen abgebrochen: </translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>not a regular file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>too large for a report file</source>
        <translation>zu groß für eine Berichtsdatei</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>the file has vanished</source>
        <translation>die Datei ist verschwunden</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>the file cannot be read</source>
        <translation>die Datei kann nicht gelesen werden</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>not a report file, or damaged</source>
        <translation>keine Berichtsdatei oder beschädigt</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>the folder cannot be read</source>
        <translation>der Ordner kann nicht gelesen werden</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>date not understood</source>
        <translation>Datum nicht lesbar</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Date and time</source>
        <translation>Datum und Uhrzeit</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Vehicle / test piece</source>
        <translation>Fahrzeug / Prüfling</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Operator</source>
        <translation>Prüfer</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Tester serial number</source>
        <translation>Seriennummer des Testers</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Cylinders</source>
        <translation>Zylinder</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Unit</source>
        <translation>Einheit</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Worst flag</source>
        <translation>Schlechteste Bewertung</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_history.cpp"/>
        <source>Note</source>
        <translation>Hinweis</translation>
    </message>
</context>
<context>
    <name>TFormCompare</name>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>Two tests compared</source>
        <translation>Zwei Prüfungen im Vergleich</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>In the charts the earlier test is the lighter bar on the left.</source>
        <translation>In den Diagrammen ist die frühere Prüfung der hellere Balken links.</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>Earlier test: </source>
        <translation>Frühere Prüfung: </translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>Later test: </source>
        <translation>Spätere Prüfung: </translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>The two tests were saved in different units; both are shown in %1.</source>
        <translation>Die beiden Prüfungen wurden in verschiedenen Einheiten gespeichert; beide werden in %1 gezeigt.</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>The two tests were made with different testers (%1, %2).</source>
        <translation>Die beiden Prüfungen wurden mit verschiedenen Testern gemacht (%1, %2).</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>The two tests show a different number of cylinders (%1, %2).</source>
        <translation>Die beiden Prüfungen zeigen eine unterschiedliche Zahl von Zylindern (%1, %2).</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>Cylinder</source>
        <translation>Zylinder</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>Compression earlier (%1)</source>
        <translation>Kompression früher (%1)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>Compression later (%1)</source>
        <translation>Kompression später (%1)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>Difference (%1)</source>
        <translation>Differenz (%1)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>Leakage earlier (%)</source>
        <translation>Verlust früher (%)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>Leakage later (%)</source>
        <translation>Verlust später (%)</translation>
    </message>
    <message>
        <location filename="../../dialogs/form_compare.cpp"/>
        <source>Difference (%)</source>
        <translation>Differenz (%)</translation>
    </message>
</context>
<context>
    <name>TFormMain</name>
    <message>
        <location filename="../../app/main/main_window_history.cpp"/>
        <source>Report &amp;history...</source>
        <translation>Berichts&amp;verlauf...</translation>
    </message>
    <message>
        <location filename="../../app/main/main_window_history.cpp"/>
        <source>Co&amp;mpare with report...</source>
        <translation>Mit Bericht ver&amp;gleichen...</translation>
    </message>
</context>
</TS>
