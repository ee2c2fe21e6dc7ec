// Charts on uPlot, sized to their box, coloured from the page's CSS so they
// follow light and dark, redrawn when the box or the colour scheme changes.
// Each drawn chart gets data-ink (pixels it painted), for the browser test.
"use strict";

const KorvaneCharts = (() => {
  const charts = new Map(); // element id -> {el, build, plot}

  function css(name) {
    return getComputedStyle(document.documentElement).getPropertyValue(name).trim();
  }

  function heightFor(el) {
    return window.innerWidth < 480 ? 170 : 220;
  }

  function axes(xTime, yLabel) {
    const stroke = css("--muted");
    const grid = { stroke: css("--line"), width: 1 };
    return [
      { stroke, grid, ticks: grid, space: 60, values: xTime ? undefined : (u, v) => v.map(String) },
      { stroke, grid, ticks: grid, size: 50, label: yLabel, labelSize: yLabel ? 18 : 0 },
    ];
  }

  function countInk(el) {
    const canvas = el.querySelector("canvas");
    if (!canvas || !canvas.width || !canvas.height) return 0;
    const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let ink = 0;
    for (let i = 3; i < data.length; i += 16) if (data[i] > 0) ink++;
    return ink;
  }

  function markDrawn(u) {
    const el = u.root.parentElement;
    if (el) el.dataset.ink = String(countInk(el));
  }

  // Draws (or redraws) the chart of `el` from `make(width, height)`, which
  // returns [options, data]; nothing to show when data is null.
  function show(el, make, emptyText) {
    const old = charts.get(el.id);
    if (old && old.plot) old.plot.destroy();
    el.textContent = "";
    const entry = { el, make, emptyText, plot: null };
    charts.set(el.id, entry);
    const width = Math.max(200, el.clientWidth || 300);
    const made = make(width, heightFor(el));
    if (!made || !made[1]) {
      const p = document.createElement("p");
      p.className = "empty";
      p.textContent = emptyText || "No data for this range.";
      el.appendChild(p);
      el.dataset.ink = "0";
      el.dataset.empty = "1";
      return;
    }
    delete el.dataset.empty;
    const [opts, data] = made;
    opts.hooks = Object.assign({}, opts.hooks, { draw: [markDrawn] });
    entry.plot = new uPlot(opts, data, el);
    watcher.observe(el);
  }

  function redrawAll() {
    for (const entry of charts.values()) show(entry.el, entry.make, entry.emptyText);
  }

  // Each chart follows its box: a phone turned, a window resized, or a
  // layout that settles after the first draw.
  const watcher = new ResizeObserver((entries) => {
    for (const e of entries) {
      const entry = charts.get(e.target.id);
      if (!entry || !entry.plot) continue;
      const width = Math.max(200, Math.floor(e.contentRect.width) || 300);
      const height = heightFor(entry.el);
      if (width !== entry.plot.width || height !== entry.plot.height)
        entry.plot.setSize({ width, height });
    }
  });
  window.matchMedia("(prefers-color-scheme: dark)").addEventListener("change", redrawAll);

  // Puts null between points further apart than `gap` seconds, so a pause
  // in the data shows as a gap and not as a line across it.
  function withGaps(xs, series, gap) {
    const outX = [];
    const outS = series.map(() => []);
    for (let i = 0; i < xs.length; i++) {
      if (i > 0 && xs[i] - xs[i - 1] > gap) {
        outX.push((xs[i] + xs[i - 1]) / 2);
        outS.forEach((s) => s.push(null));
      }
      outX.push(xs[i]);
      series.forEach((s, k) => outS[k].push(s[i]));
    }
    return [outX, ...outS];
  }

  // A time chart of lines; `lines` [{label, values, colour, width, dash}],
  // `band` [lowIndex, highIndex] (1-based series) filled between.
  function timeLines(el, xs, lines, opts = {}) {
    show(el, (width, height) => {
      if (!xs.length) return null;
      const data = withGaps(xs, lines.map((l) => l.values), opts.gap || 180);
      const series = [{}].concat(lines.map((l) => ({
        label: l.label, stroke: css(l.colour), width: l.width || 1.5, dash: l.dash,
        points: { show: false }, fill: l.fill ? css(l.fill) : undefined,
      })));
      const o = { width, height, series, axes: axes(true, opts.unit), legend: { show: true, live: false },
        cursor: { drag: { x: false, y: false } } };
      if (opts.band) o.bands = [{ series: opts.band, fill: css("--band") }];
      return [o, data];
    }, opts.empty);
  }

  // Bars per day: xs in seconds (local midnight), values or null.
  function dayBars(el, xs, values, opts = {}) {
    show(el, (width, height) => {
      if (!xs.length) return null;
      const o = {
        width, height, axes: axes(true, opts.unit), legend: { show: true, live: false },
        scales: { x: { time: true, range: (u, min, max) => [min - 43200, max + 43200] },
          y: { range: (u, min, max) => [0, max > 0 ? max * 1.08 : 1] } },
        series: [{}, { label: opts.label || "Wh", stroke: css("--energy"), fill: css("--energy"),
          paths: uPlot.paths.bars({ size: [0.8, 40], align: 0 }), points: { show: false } }],
        cursor: { drag: { x: false, y: false } },
      };
      return [o, [xs, values]];
    }, opts.empty);
  }

  // Minutes as dots and the bins' mean as a line, both against wind speed.
  function powerCurve(el, points, bins, unit) {
    show(el, (width, height) => {
      if (!points.length && !bins.length) return null;
      const rows = [];
      for (const [w, p] of points) rows.push([w, p, null]);
      for (const b of bins) if (b.reliable) rows.push([(b.wind_from + b.wind_to) / 2, null, b.mean_watts]);
      rows.sort((a, b) => a[0] - b[0]);
      const data = [rows.map((r) => r[0]), rows.map((r) => r[1]), rows.map((r) => r[2])];
      const o = {
        width, height, legend: { show: true, live: false },
        axes: [Object.assign(axes(false)[0], { label: unit, labelSize: 18 }), axes(false, "W")[1]],
        scales: { x: { time: false } },
        series: [{ label: unit },
          { label: "minutes", stroke: css("--dots"), paths: () => null, points: { show: true, size: 3, fill: css("--dots"), stroke: css("--dots") } },
          { label: "mean W", stroke: css("--volts"), width: 2, spanGaps: true, points: { show: true, size: 5 } }],
        cursor: { drag: { x: false, y: false } },
      };
      return [o, data];
    }, "No minutes with wind in this range.");
  }

  return { timeLines, dayBars, powerCurve };
})();
