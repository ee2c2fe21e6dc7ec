<html>
<head><title>Korvane - wind charger</title><meta http-equiv="refresh" content="60"></head>
<body style="font-family: Arial, sans-serif">
<h1>Wind charger</h1>
<p>Last record at <TT> <b><MM></b></p>
<table border="1" cellpadding="4">
<tr><td>Battery</td><td><VV> V</td></tr>
<tr><td>Current</td><td><II> A</td></tr>
<tr><td>Power</td><td><WW> W</td></tr>
<tr><td>Energy today</td><td><WH> Wh</td></tr>
<tr><td>Alternator</td><td><RR> RPM</td></tr>
<tr><td>Wind</td><td><SS> km/h</td></tr>
</table>
</body>
</html>
