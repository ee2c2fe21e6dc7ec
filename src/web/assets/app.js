// The dashboard: live values from the event stream, today's minutes, the
// trends and the alarms of a range, all from Korvane's own JSON API.
"use strict";

(() => {
  const $ = (id) => document.getElementById(id);
  const view = { "/": "live", "/index.html": "live", "/trends": "trends", "/alarms": "alarms" }[location.pathname] || "live";
  const STALE_S = 10;
  let live = null;          // the latest snapshot
  let receivedAt = 0;       // performance.now() when it came
  let today = null;         // the station's local date, "2026-12-09"

  // Numbers as the main window writes them: up to 15 significant digits.
  function general(v) {
    if (typeof v !== "number" || !isFinite(v)) return "-";
    return String(Number(v.toPrecision(15)));
  }
  const oneDecimal = (v) => general(Math.round(v * 10) / 10);

  function isoOfDayKey(key) {
    const m = /^(\d+)_(\d+)_(\d+)$/.exec(key || "");
    if (!m) return null;
    return m[1].padStart(4, "0") + "-" + m[2].padStart(2, "0") + "-" + m[3].padStart(2, "0");
  }
  function isoDate(d) {
    return d.getFullYear() + "-" + String(d.getMonth() + 1).padStart(2, "0") + "-" + String(d.getDate()).padStart(2, "0");
  }
  function addDays(iso, n) {
    const [y, m, d] = iso.split("-").map(Number);
    return isoDate(new Date(y, m - 1, d + n));
  }
  const secondsOf = (isoTime) => Date.parse(isoTime) / 1000;
  function localMidnight(isoDay) {
    const [y, m, d] = isoDay.split("-").map(Number);
    return new Date(y, m - 1, d).getTime() / 1000;
  }

  async function getJson(url) {
    const r = await fetch(url, { cache: "no-store" });
    const body = await r.json().catch(() => ({ error: "The answer was not readable." }));
    if (!r.ok) throw new Error(body.error || ("HTTP " + r.status));
    return body;
  }

  for (const a of document.querySelectorAll("nav a[data-view]"))
    if (a.dataset.view === view) a.setAttribute("aria-current", "page");
  $("view-" + view).hidden = false;

  // ---- live values ----------------------------------------------------
  function setReading(id, text, shown = true) {
    const el = $(id);
    el.hidden = !shown;
    el.querySelector(".value").textContent = text;
  }

  function showLive(s) {
    live = s;
    receivedAt = performance.now();
    if (s.day) today = isoOfDayKey(s.day) || today;
    const banner = $("banner");
    banner.hidden = !s.alarms.length;
    banner.textContent = s.alarms.join("   ");
    $("footer").textContent = "Korvane " + (s.version || "");
    const index = $("output-index");
    index.hidden = s.output_index_7d === null;
    if (s.output_index_7d !== null)
      index.textContent = "Turbine output over the last 7 days: " + oneDecimal(s.output_index_7d) + " % of normal";
    if (view !== "live") return;
    setReading("r-volts", general(s.volts));
    setReading("r-amps", general(s.amps));
    setReading("r-watts", general(s.watts));
    setReading("r-wh", oneDecimal(s.energy_today_wh));
    setReading("r-rpm", general(s.rpm), s.show_rpm);
    setReading("r-wind", general(s.wind), s.show_wind);
    $("r-wind").querySelector(".label").textContent = s.wind_unit || "Wind";
    setReading("r-load", s.load_on ? "On" : "Off");
    $("fig-wind").hidden = !s.show_wind;
    const port = $("port");
    port.textContent = s.port || "";
    port.classList.toggle("closed", !s.port_open);
    $("today-energy").textContent = "Energy so far today: " + oneDecimal(s.energy_today_wh) + " Wh";
    document.title = s.has_data ? "Korvane " + general(s.volts) + "V " + general(s.amps) + "A" : "Korvane";
    document.body.dataset.seq = String(s.seq);
    checkStale();
  }

  function checkStale() {
    if (!live || view !== "live") return;
    const note = $("stale");
    let text = "";
    if (!live.has_data) {
      text = "No data yet: Korvane has not received a packet since it started.";
    } else if (live.age_s !== null) {
      const age = live.age_s + (performance.now() - receivedAt) / 1000;
      if (age > STALE_S) text = "no data since " + live.last_packet_local;
    }
    note.hidden = !text;
    note.textContent = text;
    $("readings").classList.toggle("stale", !!text);
  }
  setInterval(checkStale, 1000);

  let stream = null;
  let streamed = 0; // events received, shown on the body for the browser test
  let retryTimer = 0;
  let lostTimer = 0;
  function connected() {
    clearTimeout(lostTimer);
    lostTimer = 0;
    $("connection").hidden = true;
  }
  function connect() {
    clearTimeout(retryTimer);
    if (stream) stream.close();
    stream = new EventSource("/api/events");
    stream.onopen = connected;
    stream.onmessage = (e) => {
      connected();
      document.body.dataset.events = String(++streamed);
      try { showLive(JSON.parse(e.data)); } catch (err) { console.warn("bad event", err); }
    };
    stream.onerror = () => {
      // The server ends a stream now and then and the browser reconnects
      // within a second: only a reconnect that does not come is news.
      if (!lostTimer)
        lostTimer = setTimeout(() => {
          const c = $("connection");
          c.hidden = false;
          c.textContent = "The connection to Korvane is lost; trying again...";
        }, 3000);
      // The browser retries by itself unless the answer was a refusal.
      if (stream.readyState === EventSource.CLOSED) retryTimer = setTimeout(connect, 5000);
    };
  }
  connect();

  // ---- today -----------------------------------------------------------
  async function loadToday() {
    let data;
    try {
      data = await getJson("/api/minutes" + (today ? "?from=" + today + "&to=" + today : ""));
    } catch (err) {
      $("today-energy").textContent = String(err.message);
      return;
    }
    const rows = data.rows.filter((r) => r.packets > 0);
    const xs = rows.map((r) => secondsOf(r.time));
    const gap = 3 * data.bucket_s;
    const pick = (k) => rows.map((r) => r[k]);
    const empty = "No minutes stored today yet.";
    KorvaneCharts.timeLines($("chart-volts"), xs, [
      { label: "lowest V", values: pick("volts_min"), colour: "--volts", width: 1 },
      { label: "highest V", values: pick("volts_max"), colour: "--volts", width: 1 },
      { label: "mean V", values: pick("volts_mean"), colour: "--volts", width: 2 },
    ], { band: [2, 1], unit: "V", gap, empty });
    KorvaneCharts.timeLines($("chart-watts"), xs, [
      { label: "mean W", values: pick("watts_mean"), colour: "--watts", width: 2 },
      { label: "peak W", values: pick("watts_max"), colour: "--muted", width: 1 },
    ], { unit: "W", gap, empty });
    KorvaneCharts.timeLines($("chart-wind"), xs, [
      { label: "mean", values: pick("wind_mean"), colour: "--wind", width: 2 },
      { label: "peak", values: pick("wind_max"), colour: "--muted", width: 1 },
    ], { unit: live ? live.wind_unit : "", gap, empty });
  }

  // ---- ranges ----------------------------------------------------------
  function rangeForm(form, onShow) {
    const fields = form.elements;
    const apply = () => {
      const from = fields.from.value, to = fields.to.value;
      if (!from || !to) return;
      history.replaceState(null, "", location.pathname + "?from=" + from + "&to=" + to);
      onShow(from, to);
    };
    form.addEventListener("submit", (e) => { e.preventDefault(); apply(); });
    for (const b of form.querySelectorAll("button[data-preset]"))
      b.addEventListener("click", () => {
        const end = today || isoDate(new Date());
        fields.to.value = end;
        fields.from.value = b.dataset.preset === "year" ? end.slice(0, 4) + "-01-01" : addDays(end, -29);
        apply();
      });
    const params = new URLSearchParams(location.search);
    const end = today || isoDate(new Date());
    fields.from.value = params.get("from") || addDays(end, -29);
    fields.to.value = params.get("to") || end;
    apply();
  }

  function problem(id, err) {
    const el = $(id);
    el.hidden = !err;
    el.textContent = err ? String(err.message || err) : "";
  }

  async function showTrends(from, to) {
    const q = "?from=" + from + "&to=" + to;
    try {
      const [days, curve] = await Promise.all([
        getJson("/api/days" + q), getJson("/api/power-curve" + q + "&bin=" + $("bin").value)]);
      problem("trends-error", null);
      const unknown = days.unknown_days ? " (" + days.unknown_days + " days unknown)" : "";
      $("trends-summary").textContent = "Total " + oneDecimal(days.total_wh) + " Wh over " +
        days.known_days + " days, mean " + oneDecimal(days.mean_wh) + " Wh a day" + unknown;
      const xs = days.rows.map((d) => localMidnight(d.date));
      KorvaneCharts.dayBars($("chart-energy"), xs, days.rows.map((d) => d.wh), { unit: "Wh", label: "Wh" });
      KorvaneCharts.powerCurve($("chart-curve"), curve.points, curve.bins, curve.wind_unit || "wind");
      const band = days.rows.filter((d) => d.volts_min !== null);
      KorvaneCharts.timeLines($("chart-battery"), band.map((d) => localMidnight(d.date)), [
        { label: "lowest V", values: band.map((d) => d.volts_min), colour: "--volts", width: 1 },
        { label: "highest V", values: band.map((d) => d.volts_max), colour: "--volts", width: 1 },
      ], { band: [2, 1], unit: "V", gap: 86400 * 1.5 });
    } catch (err) {
      problem("trends-error", err);
    }
  }

  async function showAlarms(from, to) {
    const q = "?from=" + from + "&to=" + to;
    $("csv").href = "/api/days.csv" + q;
    try {
      const data = await getJson("/api/alarms" + q);
      problem("alarms-error", null);
      const body = $("alarms-table").querySelector("tbody");
      body.textContent = "";
      for (const e of data.events) {
        const tr = document.createElement("tr");
        const when = new Date(e.time);
        const cells = [isoOfDayKey(e.day) + " " + e.local_time, e.alarm, e.state, general(e.value) + " " + e.unit];
        cells.forEach((text, i) => {
          const td = document.createElement("td");
          td.textContent = text;
          if (i === 2 && e.state === "raised") td.className = "raised";
          if (i === 0) td.title = when.toISOString();
          tr.appendChild(td);
        });
        body.appendChild(tr);
      }
      $("alarms-none").hidden = data.events.length > 0;
      $("alarms-table").hidden = data.events.length === 0;
    } catch (err) {
      problem("alarms-error", err);
    }
  }

  // The station's day comes first, so ranges and "today" are its, not the phone's.
  getJson("/api/live").then(showLive, () => {}).finally(() => {
    if (view === "live") {
      loadToday();
      setInterval(loadToday, 60000);
    } else if (view === "trends") {
      rangeForm($("range-trends"), showTrends);
      $("bin").addEventListener("change", () => {
        const f = $("range-trends").elements;
        showTrends(f.from.value, f.to.value);
      });
    } else {
      rangeForm($("range-alarms"), showAlarms);
    }
  });
})();
